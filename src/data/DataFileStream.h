#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

// Removes blanks and control characters (bytes up to 0x20) at both ends.
inline std::string_view trimBlanks(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20)
        --last;
    return text.substr(first, last - first);
}

// The encoding of a data file's text, decided once per file when it is opened.
enum class TextEncoding {
    Gbk,  // the survey files' own code page, also every file of plain ASCII
    Utf8, // valid UTF-8 that holds at least one character beyond ASCII
};

// Length of the UTF-8 character at the start of `text`: 0 when it is no valid UTF-8 (overlong forms
// and surrogates included), -1 when `text` ends inside a character that is valid so far.
int utf8CharLength(std::string_view text);

// UTF-8 when `head` (the start of a file) is valid UTF-8 and not plain ASCII; a multi-byte character
// cut off at the end of `head` counts as valid. GBK Chinese text fails the check at its first
// character, whose trail byte is no UTF-8 continuation or whose lead byte is no UTF-8 lead.
TextEncoding detectEncoding(std::string_view head);

// Bytes of the file start that decide its encoding.
inline constexpr std::size_t encodingProbeBytes = 1 << 16;

// The longest line or word a read hands out whole (4 MiB: far beyond any survey line). A longer one is handed
// out as its first maxLineBytes bytes, the rest skipped without being held, and lastReadCut() tells so.
inline constexpr std::size_t maxLineBytes = std::size_t{4} << 20;

// A data file read as bytes, line by line or number by number, with an end mark. The file is opened
// read-only and closed by the destructor. A line ends at a line feed, a carriage return with a line
// feed, or a carriage return alone (files from old Macintosh editors). The views handed out stay
// valid until the next read.
class DataFileStream {
public:
    DataFileStream();
    ~DataFileStream();
    DataFileStream(const DataFileStream&) = delete;
    DataFileStream& operator=(const DataFileStream&) = delete;

    // Opens a regular file for reading; false when it cannot be opened.
    bool open(const std::filesystem::path& fileName);
    void close();

    // The encoding of the open file, from its first encodingProbeBytes bytes.
    TextEncoding encoding() const { return textEncoding; }

    // Size of the open file when it was opened, in bytes.
    std::uint64_t fileSize() const { return sizeAtOpen; }
    // Bytes of the file handed out (or skipped) by the reads so far.
    std::uint64_t position() const { return fileBytes - (end - begin); }

    // True once a read found nothing left in the file.
    bool ended() const { return endMark; }

    // Reads the rest of the current line. When nothing is left, returns false with an empty line
    // and sets the end mark. A last line without a line feed is returned like any other.
    bool readLine(std::string_view& line);

    // Skips white space (blanks, tabs, line ends) and reads the next run of other bytes. At the end
    // of the file returns false and sets the end mark.
    bool readWord(std::string_view& word);

    // True when the last line or word read was longer than maxLineBytes and was cut to that length.
    bool lastReadCut() const { return cut; }

    // True when the file ended before the size it had when it was opened (it was cut short meanwhile).
    bool endedShort() const { return exhausted && fileBytes < sizeAtOpen; }

private:
    // Moves the unread bytes to the front, grows the buffer if it is full and reads more.
    // False when the file has nothing more.
    bool fill();
    // Hands out the first maxLineBytes bytes of the unread bytes as a cut read.
    std::string_view cutRead(std::size_t length);
    // Steps over the line end at `begin` (a line feed, a carriage return, or both).
    void skipLineEnd();

    std::string cutPrefix; // the handed-out start of a cut line or word
    bool cut = false;

    std::ifstream file;
    std::unique_ptr<char[]> buffer;
    std::size_t capacity = 0;
    std::size_t begin = 0;       // first unread byte
    std::size_t end = 0;         // one past the last byte read from the file
    std::uint64_t fileBytes = 0; // bytes read from the file into the buffer
    std::uint64_t sizeAtOpen = 0;
    bool exhausted = false;
    bool endMark = false;
    TextEncoding textEncoding = TextEncoding::Gbk;
};
