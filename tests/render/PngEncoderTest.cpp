#include "render/PngEncoder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

namespace {

PngPixels pixelsOf(const QImage& image, int dotsPerMetre = 0) {
    return {reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(), image.height(),
            image.bytesPerLine() / 4, dotsPerMetre};
}

QImage decode(const std::vector<unsigned char>& png) {
    QImage image;
    image.loadFromData(png.data(), static_cast<int>(png.size()), "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

// The bit depth and colour type from the header chunk, which follows the 8-byte signature and the chunk's
// length and type.
std::pair<int, int> depthAndColourType(const std::vector<unsigned char>& png) {
    if (png.size() < 26)
        return {-1, -1};
    return {png[24], png[25]};
}

bool hasChunk(const std::vector<unsigned char>& png, const std::string& type) {
    return std::search(png.begin(), png.end(), type.begin(), type.end()) != png.end();
}

// The first pixel where `decoded` differs from `source` in colour, or "" when every pixel matches.
std::string firstDifference(const QImage& source, const QImage& decoded) {
    if (decoded.size() != source.size())
        return "size " + std::to_string(decoded.width()) + "x" + std::to_string(decoded.height());
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if ((source.pixel(x, y) & 0xffffff) != (decoded.pixel(x, y) & 0xffffff))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return {};
}

// A `width` x `height` bitmap whose pixels cycle through `colours` distinct greys and blues, with runs of
// repeated rows between changed ones.
QImage colourBitmap(int width, int height, int colours) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int band = y / 3; // three equal rows in a row
            const int n = (x + band * 7) % colours;
            image.setPixel(x, y, qRgb(n % 256, n / 256 * 40, 255 - n % 256));
        }
    return image;
}

int distinctColours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

} // namespace

// The smallest bit depth that holds the colours: 2 colours 1 bit, 4 colours 2 bits, 16 colours 4 bits,
// 256 colours 8 bits, all with a palette; a 257th colour makes it 8-bit RGB. Widths that leave part of the
// last byte of a row unused (13 pixels at 1, 2 and 4 bits) must decode to exactly the source.
TEST(PngEncoder, PicksTheSmallestDepthAndDecodesToEveryPixel) {
    struct Case {
        int colours;
        int depth;
        int colourType;
    };
    for (const Case c : {Case{1, 1, 3}, Case{2, 1, 3}, Case{3, 2, 3}, Case{4, 2, 3}, Case{5, 4, 3},
                         Case{16, 4, 3}, Case{17, 8, 3}, Case{256, 8, 3}, Case{257, 8, 2}, Case{300, 8, 2}}) {
        for (const int width : {1, 13, 300}) {
            const QImage source = colourBitmap(width, 20, c.colours);
            if (distinctColours(source) != c.colours)
                continue; // too narrow to hold that many colours
            SCOPED_TRACE("colours " + std::to_string(c.colours) + ", width " + std::to_string(width));
            const std::vector<unsigned char> png = encodePng(pixelsOf(source));
            ASSERT_FALSE(png.empty());
            EXPECT_EQ(depthAndColourType(png), std::make_pair(c.depth, c.colourType));
            EXPECT_EQ(firstDifference(source, decode(png)), "");
        }
    }
}

// Runs of one colour of every length, starting at every position within a byte, at each depth: runs are
// written a byte at a time in their middle, a pixel at a time at their ends.
TEST(PngEncoder, RunsOfAnyLengthAndPlaceDecodeExactly) {
    for (const int colours : {2, 4, 16, 200}) {
        SCOPED_TRACE("colours " + std::to_string(colours));
        QImage source(203, 40, QImage::Format_RGB32);
        unsigned seed = 12345;
        for (int y = 0; y < source.height(); ++y) {
            for (int x = 0; x < source.width();) {
                seed = seed * 1103515245u + 12345u;
                const int length = 1 + static_cast<int>(seed >> 16) % 37;
                const int n = static_cast<int>(seed >> 8) % colours;
                for (int i = 0; i < length && x < source.width(); ++i, ++x)
                    source.setPixel(x, y, qRgb(n, 255 - n, 7 * n % 256));
            }
        }
        EXPECT_EQ(firstDifference(source, decode(encodePng(pixelsOf(source)))), "");
    }
}

// A sheet as painted: white paper, a dotted and a solid grid, a coloured curve, text. Many rows repeat the
// row above; a row that repeats an earlier, non-adjacent row must still decode right.
TEST(PngEncoder, SheetWithGridsCurveAndTextDecodesExactly) {
    QImage sheet(793, 1096, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter painter(&sheet);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        for (int x = 100; x < 700; x += 24)
            painter.drawLine(x, 200, x, 900);
        painter.setPen(QPen(Qt::black, 2));
        for (int y = 200; y <= 900; y += 236)
            painter.drawLine(100, y, 700, y);
        painter.setPen(QPen(QColor(0, 0, 255), 3));
        painter.drawLine(120, 850, 680, 260);
        painter.setBrush(Qt::red);
        painter.drawEllipse(QPoint(400, 550), 6, 6);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(300, 150), QStringLiteral("电测深 1号点 AB/2 (m)"));
    }
    const std::vector<unsigned char> png = encodePng(pixelsOf(sheet, 3780));
    ASSERT_FALSE(png.empty());
    const QImage decoded = decode(png);
    EXPECT_EQ(firstDifference(sheet, decoded), "");
    EXPECT_EQ(depthAndColourType(png).second, 3);
}

// A bitmap is a window into a larger one when its rows are further apart than its width.
TEST(PngEncoder, ReadsRowsByStride) {
    const QImage whole = colourBitmap(40, 30, 9);
    const QImage part = whole.copy(5, 4, 17, 11);
    PngPixels pixels = pixelsOf(whole);
    pixels.pixels += 4 * pixels.stride + 5;
    pixels.width = 17;
    pixels.height = 11;
    EXPECT_EQ(firstDifference(part, decode(encodePng(pixels))), "");
}

// A sheet is handed over in bands as it is painted: any band height gives the same file as the whole
// bitmap, including a band that starts with a row equal to the last row of the band before.
TEST(PngEncoder, BandsOfAnyHeightGiveTheSameFile) {
    for (const int colours : {2, 9, 300}) {
        SCOPED_TRACE("colours " + std::to_string(colours));
        const QImage source = colourBitmap(50, 31, colours);
        const PngPixels whole = pixelsOf(source, 3780);
        const std::vector<unsigned char> expected = encodePng(whole);
        ASSERT_FALSE(expected.empty());
        for (const int band : {1, 3, 7, 31, 40}) {
            PngEncoder encoder(whole.width, whole.height, whole.dotsPerMetre);
            for (int y = 0; y < whole.height; y += band)
                encoder.addRows(whole.pixels + y * whole.stride, std::min(band, whole.height - y),
                                whole.stride);
            EXPECT_EQ(encoder.finish(), expected) << "bands of " << band << " rows";
        }
    }
}

// A file is only made from every row: fewer rows than the height give nothing, extra rows are left out.
TEST(PngEncoder, NeedsEveryRowAndIgnoresExtraRows) {
    const QImage source = colourBitmap(10, 12, 3);
    const PngPixels pixels = pixelsOf(source);
    PngEncoder short_(10, 12);
    short_.addRows(pixels.pixels, 11, pixels.stride);
    EXPECT_TRUE(short_.finish().empty());

    PngEncoder extra(10, 6);
    extra.addRows(pixels.pixels, 12, pixels.stride);
    EXPECT_EQ(firstDifference(source.copy(0, 0, 10, 6), decode(extra.finish())), "");
}

// Only the colour counts: the unused top byte of a pixel never adds a palette entry.
TEST(PngEncoder, IgnoresTheTopByteOfAPixel) {
    std::vector<std::uint32_t> pixels = {0xffffffff, 0x00ffffff, 0x12000000, 0xff000000};
    const std::vector<unsigned char> png = encodePng({pixels.data(), 2, 2, 2, 0});
    EXPECT_EQ(depthAndColourType(png), std::make_pair(1, 3));
    const QImage decoded = decode(png);
    ASSERT_EQ(decoded.size(), QSize(2, 2));
    EXPECT_EQ(decoded.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(decoded.pixel(0, 1), qRgb(0, 0, 0));
}

// The resolution travels with the file when given (96 dpi is 3780 dots a metre), else stays out of it.
TEST(PngEncoder, WritesTheResolutionWhenGiven) {
    const QImage source = colourBitmap(8, 8, 2);
    const std::vector<unsigned char> withResolution = encodePng(pixelsOf(source, 3780));
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(withResolution.data(), static_cast<int>(withResolution.size()), "PNG"));
    EXPECT_EQ(decoded.dotsPerMeterX(), 3780);
    EXPECT_EQ(decoded.dotsPerMeterY(), 3780);
    EXPECT_FALSE(hasChunk(encodePng(pixelsOf(source)), "pHYs"));
}

TEST(PngEncoder, RefusesBitmapsWithoutPixels) {
    const std::uint32_t pixel = 0;
    EXPECT_TRUE(encodePng({nullptr, 1, 1, 1, 0}).empty());
    EXPECT_TRUE(encodePng({&pixel, 0, 1, 1, 0}).empty());
    EXPECT_TRUE(encodePng({&pixel, 1, 0, 1, 0}).empty());
    EXPECT_TRUE(encodePng({&pixel, 2, 1, 1, 0}).empty()); // rows overlap
}
