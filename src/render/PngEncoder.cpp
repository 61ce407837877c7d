#include "PngEncoder.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr unsigned char pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::size_t idatChunkBytes = std::size_t{1} << 18;
constexpr std::size_t paletteLimit = 256;
constexpr unsigned char upFilter = 2;
constexpr std::uint32_t rgbMask = 0x00ffffff;

void appendU32(std::vector<unsigned char>& out, std::uint32_t value) {
    out.push_back(static_cast<unsigned char>(value >> 24));
    out.push_back(static_cast<unsigned char>(value >> 16));
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

void appendChunk(std::vector<unsigned char>& out, const char* type, const unsigned char* data,
                 std::size_t size) {
    appendU32(out, static_cast<std::uint32_t>(size));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0)
        out.insert(out.end(), data, data + size);
    appendU32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(size + 4))));
}

// The zlib stream of the image data, fed one filtered row at a time.
class RowDeflater {
public:
    explicit RowDeflater(int strategy) {
        ok_ = deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 9, strategy) == Z_OK;
    }
    ~RowDeflater() {
        if (ok_)
            deflateEnd(&stream_);
    }
    RowDeflater(const RowDeflater&) = delete;
    RowDeflater& operator=(const RowDeflater&) = delete;

    bool add(const unsigned char* data, std::size_t size) { return ok_ && run(data, size, Z_NO_FLUSH); }
    bool finish() { return ok_ && run(nullptr, 0, Z_FINISH); }
    const std::vector<unsigned char>& output() const { return out_; }

private:
    bool run(const unsigned char* data, std::size_t size, int flush) {
        constexpr std::size_t minRoom = std::size_t{1} << 16;
        stream_.next_in = const_cast<Bytef*>(data);
        stream_.avail_in = static_cast<uInt>(size);
        for (;;) {
            if (out_.size() - used_ < minRoom)
                out_.resize(std::max(out_.size() * 2, used_ + minRoom));
            const std::size_t room = std::min<std::size_t>(out_.size() - used_, UINT_MAX);
            stream_.next_out = out_.data() + used_;
            stream_.avail_out = static_cast<uInt>(room);
            const int result = deflate(&stream_, flush);
            used_ += room - stream_.avail_out;
            if (result == Z_STREAM_ERROR)
                return false;
            if (flush == Z_FINISH) {
                if (result == Z_STREAM_END) {
                    out_.resize(used_);
                    return true;
                }
            } else if (stream_.avail_in == 0 && stream_.avail_out != 0) {
                return true;
            }
        }
    }

    z_stream stream_{};
    bool ok_ = false;
    std::vector<unsigned char> out_;
    std::size_t used_ = 0;
};

// The colours of the bitmap in order of first appearance; full once a 257th colour turns up.
class Palette {
public:
    // The index of `colour`, added when new; -1 when the palette is full.
    int indexOf(std::uint32_t colour) {
        if (colour == lastColour_ && !colours_.empty())
            return lastIndex_;
        const auto found = std::find(colours_.begin(), colours_.end(), colour);
        const std::size_t index = static_cast<std::size_t>(found - colours_.begin());
        if (found == colours_.end()) {
            if (colours_.size() == paletteLimit)
                return -1;
            colours_.push_back(colour);
        }
        lastColour_ = colour;
        lastIndex_ = static_cast<int>(index);
        return lastIndex_;
    }
    const std::vector<std::uint32_t>& colours() const { return colours_; }

private:
    std::vector<std::uint32_t> colours_;
    std::uint32_t lastColour_ = 0;
    int lastIndex_ = 0;
};

// Filters `row` against `above` (the Up filter) into `line`, behind the filter byte.
void filterUp(const std::vector<unsigned char>& row, const std::vector<unsigned char>& above,
              std::vector<unsigned char>& line) {
    line[0] = upFilter;
    for (std::size_t i = 0; i < row.size(); ++i)
        line[i + 1] = static_cast<unsigned char>(row[i] - above[i]);
}

// Sets pixels [x, x + count) of a packed row of `bitDepth` bits a pixel to `index`, the leftmost pixel of a
// byte in its high bits. Whole bytes in the middle of the run are set at once.
void fillPixels(std::vector<unsigned char>& row, std::size_t x, std::size_t count, unsigned index,
                int bitDepth) {
    // 8, 4, 2 or 1 pixels a byte: positions are split by shifts, never by division
    const int perByteShift = bitDepth == 1 ? 3 : bitDepth == 2 ? 2 : bitDepth == 4 ? 1 : 0;
    const std::size_t perByte = std::size_t{1} << perByteShift;
    const unsigned mask = (1u << bitDepth) - 1;
    auto setOne = [&](std::size_t at) {
        const int shift = 8 - bitDepth * static_cast<int>((at & (perByte - 1)) + 1);
        unsigned char& byte = row[at >> perByteShift];
        byte = static_cast<unsigned char>((byte & ~(mask << shift)) | (index << shift));
    };
    const std::size_t end = x + count;
    for (; x < end && (x & (perByte - 1)) != 0; ++x)
        setOne(x);
    if (end - x >= perByte) {
        unsigned char pattern = 0;
        for (std::size_t i = 0; i < perByte; ++i)
            pattern = static_cast<unsigned char>(pattern << bitDepth | index);
        const std::size_t bytes = (end - x) >> perByteShift;
        std::memset(row.data() + (x >> perByteShift), pattern, bytes);
        x += bytes << perByteShift;
    }
    for (; x < end; ++x)
        setOne(x);
}

int bitDepthFor(std::size_t colours) {
    if (colours <= 2)
        return 1;
    if (colours <= 4)
        return 2;
    return colours <= 16 ? 4 : 8;
}

void appendHeader(std::vector<unsigned char>& out, int width, int height, int bitDepth, int colourType,
                  int dotsPerMetre, const std::vector<std::uint32_t>& palette) {
    out.assign(std::begin(pngSignature), std::end(pngSignature));
    std::vector<unsigned char> header;
    appendU32(header, static_cast<std::uint32_t>(width));
    appendU32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(),
                  {static_cast<unsigned char>(bitDepth), static_cast<unsigned char>(colourType), 0, 0, 0});
    appendChunk(out, "IHDR", header.data(), header.size());
    if (!palette.empty()) {
        std::vector<unsigned char> entries;
        for (const std::uint32_t colour : palette)
            entries.insert(entries.end(),
                           {static_cast<unsigned char>(colour >> 16), static_cast<unsigned char>(colour >> 8),
                            static_cast<unsigned char>(colour)});
        appendChunk(out, "PLTE", entries.data(), entries.size());
    }
    if (dotsPerMetre > 0) {
        std::vector<unsigned char> physical;
        appendU32(physical, static_cast<std::uint32_t>(dotsPerMetre));
        appendU32(physical, static_cast<std::uint32_t>(dotsPerMetre));
        physical.push_back(1); // per metre
        appendChunk(out, "pHYs", physical.data(), physical.size());
    }
}

void appendImageData(std::vector<unsigned char>& out, const std::vector<unsigned char>& data) {
    for (std::size_t at = 0; at < data.size(); at += idatChunkBytes)
        appendChunk(out, "IDAT", data.data() + at, std::min(idatChunkBytes, data.size() - at));
    appendChunk(out, "IEND", nullptr, 0);
}

// The end of the run of pixels equal to pixel `x`: most of a sheet's row is one run of paper, so the
// pixels are compared four at a time. Pixels that differ only in the unused top byte make separate runs
// of one colour, which costs nothing but a run.
int runEnd(const std::uint32_t* row, int x, int width) {
    const std::uint32_t pixel = row[x];
    const std::uint64_t pair = static_cast<std::uint64_t>(pixel) << 32 | pixel;
    int end = x + 1;
    for (; end + 4 <= width; end += 4) {
        std::uint64_t first = 0;
        std::uint64_t second = 0;
        std::memcpy(&first, row + end, sizeof first);
        std::memcpy(&second, row + end + 2, sizeof second);
        if (first != pair || second != pair)
            break;
    }
    while (end < width && row[end] == pixel)
        ++end;
    return end;
}

} // namespace

PngEncoder::PngEncoder(int width, int height, int dotsPerMetre)
    : width_(width), height_(height), dotsPerMetre_(dotsPerMetre) {
    // A row of 8-bit RGB with its filter byte must fit one zlib input call.
    constexpr int widthLimit = (std::numeric_limits<std::int32_t>::max() - 1) / 4;
    if (width_ <= 0 || height_ <= 0 || width_ > widthLimit) {
        width_ = 0;
        height_ = 0;
        return;
    }
    lastRow_.resize(static_cast<std::size_t>(width_));
    repeats_.reserve(static_cast<std::size_t>(height_));
    // room for a sheet's rows: a few runs each, and about one row in two differing from the row above
    runs_.reserve(static_cast<std::size_t>(height_) * 8);
    runCount_.reserve(static_cast<std::size_t>(height_) / 2);
}

void PngEncoder::addRows(const std::uint32_t* rows, int count, std::ptrdiff_t stride) {
    if (rows == nullptr || count <= 0 || width_ == 0 || (count > 1 && stride < width_))
        return;
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * sizeof(std::uint32_t);
    const std::uint32_t* row = rows;
    const std::uint32_t* above = lastRow_.data();
    for (int i = 0; i < count && rowsTaken_ < height_; ++i, ++rowsTaken_, above = row, row += stride) {
        if (rowsTaken_ > 0 && std::memcmp(row, above, rowBytes) == 0) {
            repeats_.push_back(1);
            continue;
        }
        repeats_.push_back(0);
        const std::size_t first = runs_.size();
        for (int x = 0; x < width_;) {
            const int end = runEnd(row, x, width_);
            runs_.push_back({row[x] & rgbMask, static_cast<std::uint32_t>(end - x)});
            x = end;
        }
        runCount_.push_back(static_cast<std::uint32_t>(runs_.size() - first));
    }
    if (above != lastRow_.data())
        std::memcpy(lastRow_.data(), above, rowBytes);
}

std::vector<unsigned char> PngEncoder::finish() {
    if (width_ == 0 || rowsTaken_ < height_)
        return {};

    // The palette in order of first appearance, unless there are too many colours for one.
    Palette palette;
    std::vector<unsigned char> runIndex(runs_.size());
    bool paletted = true;
    for (std::size_t i = 0; i < runs_.size() && paletted; ++i) {
        const int index = palette.indexOf(runs_[i].colour);
        paletted = index >= 0;
        runIndex[i] = static_cast<unsigned char>(index);
    }

    const int bitDepth = paletted ? bitDepthFor(palette.colours().size()) : 8;
    const std::size_t rowBytes = paletted ? (static_cast<std::size_t>(width_) * bitDepth + 7) / 8
                                          : static_cast<std::size_t>(width_) * 3;
    std::vector<unsigned char> above(rowBytes, 0);
    std::vector<unsigned char> row(rowBytes);
    std::vector<unsigned char> line(rowBytes + 1);
    std::vector<unsigned char> unchanged(rowBytes + 1, 0);
    unchanged[0] = upFilter;

    // Filtered rows, Up-filtered so that a repeated row is all zeros: a palette's few colours compress best
    // as runs, RGB with the general matcher.
    RowDeflater deflater(paletted ? Z_RLE : Z_DEFAULT_STRATEGY);
    std::size_t nextRun = 0;
    std::size_t nextRow = 0;
    for (int y = 0; y < height_; ++y) {
        bool fed = false;
        if (repeats_[y]) {
            fed = deflater.add(unchanged.data(), unchanged.size());
        } else {
            std::size_t x = 0;
            const std::size_t end = nextRun + runCount_[nextRow++];
            for (; nextRun < end; ++nextRun) {
                const Run run = runs_[nextRun];
                if (paletted) {
                    fillPixels(row, x, run.length, runIndex[nextRun], bitDepth);
                } else {
                    for (std::size_t i = 0; i < run.length; ++i) {
                        row[3 * (x + i)] = static_cast<unsigned char>(run.colour >> 16);
                        row[3 * (x + i) + 1] = static_cast<unsigned char>(run.colour >> 8);
                        row[3 * (x + i) + 2] = static_cast<unsigned char>(run.colour);
                    }
                }
                x += run.length;
            }
            filterUp(row, above, line);
            std::swap(row, above);
            fed = deflater.add(line.data(), line.size());
        }
        if (!fed)
            return {};
    }
    if (!deflater.finish())
        return {};

    std::vector<unsigned char> out;
    appendHeader(out, width_, height_, bitDepth, paletted ? 3 : 2, dotsPerMetre_,
                 paletted ? palette.colours() : std::vector<std::uint32_t>{});
    appendImageData(out, deflater.output());
    return out;
}

std::vector<unsigned char> encodePng(const PngPixels& image) {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 || image.stride < image.width)
        return {};
    PngEncoder encoder(image.width, image.height, image.dotsPerMetre);
    encoder.addRows(image.pixels, image.height, image.stride);
    return encoder.finish();
}
