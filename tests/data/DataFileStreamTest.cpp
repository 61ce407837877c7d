// Lines and words of the text stream: line ends of every kind, and lines too long to be held.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataFiles.h"
#include "data/DataFileStream.h"

namespace {

struct Read {
    std::string text;
    bool cut = false;
    friend bool operator==(const Read&, const Read&) = default;
};

std::vector<Read> lines(const std::string& bytes) {
    datatest::TempFolder folder;
    DataFileStream stream;
    EXPECT_TRUE(stream.open(folder.writeBytes("lines.txt", bytes)));
    std::vector<Read> all;
    std::string_view line;
    while (stream.readLine(line))
        all.push_back({std::string(line), stream.lastReadCut()});
    EXPECT_EQ(stream.position(), bytes.size());
    return all;
}

std::vector<Read> words(const std::string& bytes) {
    datatest::TempFolder folder;
    DataFileStream stream;
    EXPECT_TRUE(stream.open(folder.writeBytes("words.txt", bytes)));
    std::vector<Read> all;
    std::string_view word;
    while (stream.readWord(word))
        all.push_back({std::string(word), stream.lastReadCut()});
    return all;
}

TEST(TextStream, EveryKindOfLineEndEndsALine) {
    struct Case {
        std::string bytes;
        std::vector<Read> lines;
    };
    const std::vector<Case> cases = {
        {"a\nb\n", {{"a"}, {"b"}}},
        {"a\r\nb\r\n", {{"a"}, {"b"}}},
        {"a\rb\rc", {{"a"}, {"b"}, {"c"}}},
        {"a\r\rb\n\rc\r", {{"a"}, {""}, {"b"}, {""}, {"c"}}},
        // A carriage return at the end of the first buffer load, its line feed in the next.
        {std::string(encodingProbeBytes - 1, 'a') + "\r\nb",
         {{std::string(encodingProbeBytes - 1, 'a')}, {"b"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lines(c.bytes), c.lines) << c.bytes.substr(0, 20);
}

TEST(TextStream, LinesAndWordsOverTheLimitAreCutAndTheRestSkipped) {
    const std::string longest(maxLineBytes, 'x');
    const std::string over(maxLineBytes + 1, 'y');
    const std::string huge(3 * maxLineBytes + 5, 'z');
    const Read cutOver{over.substr(0, maxLineBytes), true};
    const Read cutHuge{huge.substr(0, maxLineBytes), true};
    EXPECT_EQ(lines(longest + "\n" + over + "\r\nb\n" + huge + "\rc\n" + huge),
              (std::vector<Read>{{longest}, cutOver, {"b"}, cutHuge, {"c"}, cutHuge}));
    EXPECT_EQ(words(longest + " " + over + "\n1 " + huge + "\t2 " + huge),
              (std::vector<Read>{{longest}, cutOver, {"1"}, cutHuge, {"2"}, cutHuge}));
}

} // namespace
