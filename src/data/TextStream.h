#pragma once

#include <cstddef>
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

// A data file read as bytes, line by line or number by number, with an end mark. The file is opened
// read-only and closed by the destructor. Lines may have any length; a carriage return before the
// line feed (or at the very end of the file) belongs to the line end. The views handed out stay
// valid until the next read.
class TTextStream {
public:
    TTextStream();
    ~TTextStream();
    TTextStream(const TTextStream&) = delete;
    TTextStream& operator=(const TTextStream&) = delete;

    // Opens a regular file for reading; false when it cannot be opened.
    bool open(const std::string& fileName);
    void close();

    // True once a read found nothing left in the file.
    bool ended() const { return endMark; }

    // Reads the rest of the current line. When nothing is left, returns false with an empty line
    // and sets the end mark. A last line without a line feed is returned like any other.
    bool readLine(std::string_view& line);

    // Skips white space (blanks, tabs, line ends) and reads the next run of other bytes. At the end
    // of the file returns false and sets the end mark.
    bool readWord(std::string_view& word);

private:
    // Moves the unread bytes to the front, grows the buffer if it is full and reads more.
    // False when the file has nothing more.
    bool fill();

    int fd = -1;
    std::unique_ptr<char[]> buffer;
    std::size_t capacity = 0;
    std::size_t begin = 0; // first unread byte
    std::size_t end = 0;   // one past the last byte read from the file
    bool exhausted = false;
    bool endMark = false;
};
