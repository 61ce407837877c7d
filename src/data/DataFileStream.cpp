#include "DataFileStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t initialCapacity = 1 << 16;

bool isWordBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The first line feed or carriage return of the `length` bytes at `text`, or nullptr.
const char* findLineEnd(const char* text, std::size_t length) {
    const char* feed = static_cast<const char*>(std::memchr(text, '\n', length));
    const std::size_t before = feed ? static_cast<std::size_t>(feed - text) : length;
    const char* carriageReturn = static_cast<const char*>(std::memchr(text, '\r', before));
    return carriageReturn ? carriageReturn : feed;
}

} // namespace

int utf8CharLength(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    if (text.empty())
        return 0;
    if (p[0] < 0x80)
        return 1;
    std::size_t trail;
    unsigned char low = 0x80, high = 0xBF; // range of the first trail byte
    if (p[0] >= 0xC2 && p[0] <= 0xDF) {
        trail = 1;
    } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
        trail = 2;
        low = p[0] == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = p[0] == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
        trail = 3;
        low = p[0] == 0xF0 ? 0x90 : 0x80;
        high = p[0] == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return 0;
    }
    for (std::size_t k = 1; k <= trail; ++k) {
        if (k == text.size())
            return -1;
        if (p[k] < low || p[k] > high)
            return 0;
        low = 0x80;
        high = 0xBF;
    }
    return static_cast<int>(trail + 1);
}

TextEncoding detectEncoding(std::string_view head) {
    bool beyondAscii = false;
    std::size_t at = 0;
    while (at < head.size()) {
        // Plain ASCII eight bytes at a time.
        std::uint64_t block;
        if (head.size() - at >= 8 &&
            (std::memcpy(&block, head.data() + at, 8), (block & 0x8080808080808080ULL) == 0)) {
            at += 8;
            continue;
        }
        int length = utf8CharLength(head.substr(at));
        if (length < 0)
            break; // cut off by the end of the probe
        if (length == 0)
            return TextEncoding::Gbk;
        beyondAscii = beyondAscii || length > 1;
        at += static_cast<std::size_t>(length);
    }
    return beyondAscii ? TextEncoding::Utf8 : TextEncoding::Gbk;
}

DataFileStream::DataFileStream() = default;

DataFileStream::~DataFileStream() {
    close();
}

bool DataFileStream::open(const std::filesystem::path& fileName) {
    close();
    // Only regular files are read: a pipe or device name could stall the open or never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return false;
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    file.open(fileName, std::ios::in | std::ios::binary);
    if (!file.is_open())
        return false;
    if (!buffer) {
        capacity = initialCapacity;
        buffer = std::make_unique_for_overwrite<char[]>(capacity);
    }
    begin = end = 0;
    fileBytes = 0;
    sizeAtOpen = error ? 0 : static_cast<std::uint64_t>(size);
    exhausted = endMark = false;
    // The probe reads ahead into the buffer, where the line and word reads then find the bytes.
    while (end < encodingProbeBytes && fill()) {
    }
    exhausted = false;
    textEncoding = detectEncoding(std::string_view(buffer.get(), end));
    return true;
}

void DataFileStream::close() {
    if (file.is_open())
        file.close();
    file.clear();
    exhausted = true;
}

bool DataFileStream::fill() {
    if (exhausted)
        return false;
    if (begin > 0) {
        std::memmove(buffer.get(), buffer.get() + begin, end - begin);
        end -= begin;
        begin = 0;
    }
    if (end == capacity) {
        std::size_t grown = capacity * 2;
        auto larger = std::make_unique_for_overwrite<char[]>(grown);
        std::memcpy(larger.get(), buffer.get(), end);
        buffer = std::move(larger);
        capacity = grown;
    }
    file.read(buffer.get() + end, static_cast<std::streamsize>(capacity - end));
    const std::streamsize got = file.gcount();
    if (got > 0) {
        end += static_cast<std::size_t>(got);
        fileBytes += static_cast<std::uint64_t>(got);
        return true;
    }
    exhausted = true; // end of file or a read error: nothing more comes
    return false;
}

std::string_view DataFileStream::cutRead(std::size_t length) {
    cutPrefix.assign(buffer.get() + begin, std::min(length, maxLineBytes));
    cut = true;
    return cutPrefix;
}

void DataFileStream::skipLineEnd() {
    if (begin == end && !fill())
        return;
    const bool carriageReturn = buffer[begin] == '\r';
    ++begin;
    if (carriageReturn && (begin < end || fill()) && buffer[begin] == '\n')
        ++begin;
}

bool DataFileStream::readLine(std::string_view& line) {
    line = {};
    cut = false;
    if (endMark)
        return false;
    std::size_t scanned = 0; // bytes after `begin` known to hold no line end
    for (;;) {
        const char* base = buffer.get();
        const std::size_t unread = end - begin;
        if (const char* stop =
                scanned < unread ? findLineEnd(base + begin + scanned, unread - scanned) : nullptr) {
            const std::size_t at = static_cast<std::size_t>(stop - base);
            if (*stop == '\r' && at + 1 == end && !exhausted) {
                // Whether a line feed follows the carriage return is in the next bytes of the file.
                scanned = at - begin;
                fill();
                continue;
            }
            const std::size_t length = at - begin;
            if (length > maxLineBytes) {
                line = cutRead(length);
                begin = at;
            } else {
                line = std::string_view(base + begin, length);
                begin = at;
            }
            // The line end is stepped over in the buffer without a fill: the view stays valid.
            const bool carriageReturn = base[begin] == '\r';
            ++begin;
            if (carriageReturn && begin < end && base[begin] == '\n')
                ++begin;
            return true;
        }
        scanned = unread;
        if (scanned > maxLineBytes) {
            // Too long to be held: keep its start, drop the rest up to the line end as it comes.
            line = cutRead(scanned);
            for (;;) {
                begin = end;
                if (!fill())
                    return true;
                if (const char* stop = findLineEnd(buffer.get() + begin, end - begin)) {
                    begin = static_cast<std::size_t>(stop - buffer.get());
                    skipLineEnd();
                    return true;
                }
            }
        }
        if (!fill()) {
            if (begin == end) {
                endMark = true;
                return false;
            }
            line = end - begin > maxLineBytes ? cutRead(end - begin)
                                              : std::string_view(buffer.get() + begin, end - begin);
            begin = end;
            return true;
        }
    }
}

bool DataFileStream::readWord(std::string_view& word) {
    word = {};
    cut = false;
    if (endMark)
        return false;
    for (;;) {
        while (begin < end && isWordBlank(buffer[begin]))
            ++begin;
        if (begin < end)
            break;
        if (!fill()) {
            endMark = true;
            return false;
        }
    }
    std::size_t length = 0;
    for (;;) {
        while (begin + length < end && !isWordBlank(buffer[begin + length]))
            ++length;
        if (begin + length < end)
            break;
        if (length > maxLineBytes) {
            // Too long to be held: keep its start, drop the rest up to the next blank as it comes.
            word = cutRead(length);
            for (;;) {
                begin = end;
                if (!fill())
                    return true;
                while (begin < end && !isWordBlank(buffer[begin]))
                    ++begin;
                if (begin < end)
                    return true;
            }
        }
        if (!fill())
            break;
    }
    if (length > maxLineBytes) {
        word = cutRead(length);
    } else {
        word = std::string_view(buffer.get() + begin, length);
    }
    begin += length;
    return true;
}
