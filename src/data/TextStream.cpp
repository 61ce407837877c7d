#include "TextStream.h"

#include <cerrno>
#include <cstdint>
#include <cstring>


namespace {

constexpr std::size_t initialCapacity = 1 << 16;

bool isWordBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view dropCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
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

TTextStream::TTextStream() = default;

TTextStream::~TTextStream() {
    close();
}

bool TTextStream::open(const std::filesystem::path& fileName) {
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

void TTextStream::close() {
    if (file.is_open())
        file.close();
    file.clear();
    exhausted = true;
}

bool TTextStream::fill() {
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

bool TTextStream::readLine(std::string_view& line) {
    line = {};
    if (endMark)
        return false;
    std::size_t scanned = 0; // bytes after `begin` known to hold no line feed
    for (;;) {
        const char* base = buffer.get();
        const void* feed = scanned < end - begin
                               ? std::memchr(base + begin + scanned, '\n', end - begin - scanned)
                               : nullptr;
        if (feed) {
            std::size_t at = static_cast<std::size_t>(static_cast<const char*>(feed) - base);
            line = dropCarriageReturn(std::string_view(base + begin, at - begin));
            begin = at + 1;
            return true;
        }
        scanned = end - begin;
        if (!fill()) {
            if (begin == end) {
                endMark = true;
                return false;
            }
            line = dropCarriageReturn(std::string_view(buffer.get() + begin, end - begin));
            begin = end;
            return true;
        }
    }
}

bool TTextStream::readWord(std::string_view& word) {
    word = {};
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
        if (begin + length < end || !fill())
            break;
    }
    word = std::string_view(buffer.get() + begin, length);
    begin += length;
    return true;
}
