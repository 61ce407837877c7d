#include "data/TaggedFileReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "DataFiles.h"
#include "ScriptedUi.h"
#include "core/ConversionError.h"

namespace {

using datatest::TempFolder;

const std::string header = "Zu电法数据\n测深VES\n";
const std::string emptyFileMessage = "文件操作失败！\n打开的文件是空的电法数据文件。";
const std::string notVesMessage = "文件操作失败！\n打开的文件不是有效的VES电法数据文件。";
const std::string notDataMessage = "文件操作失败！\n打开的文件不是有效的电法数据文件。";
const std::string formatMessage = "数据格式不正确，请检查数据文件。";

// One station block with `points` pairs (AB/2 = k + 1, resistivity = 10 * (k + 1)) and an empty
// auxiliary table.
std::string block(const std::string& name, int points) {
    std::string text = name + "\n0 0\n1\n2\n3\n4\n" + std::to_string(points) + "\n";
    for (int k = 1; k <= points; ++k)
        text += std::to_string(k) + " " + std::to_string(10 * k) + "\n";
    return text + "0\n";
}

struct Load {
    ScriptedUi ui;
    StationList stations;
};

void load(Load& result, const std::string& utf8Text) {
    TempFolder folder;
    readTaggedFile(result.ui, folder.writeGbk("survey.ves", utf8Text), result.stations);
}

std::vector<std::string> texts(const ScriptedUi& ui) {
    std::vector<std::string> all;
    for (const ScriptedMessage& m : ui.messages)
        all.push_back(m.text);
    return all;
}

std::vector<std::int32_t> numbers(const StationList& stations) {
    std::vector<std::int32_t> all;
    for (const Station& s : stations)
        all.push_back(s.stationNumber.at(0));
    return all;
}

TEST(TaggedFileReader, ReadsTheMinimalFile) {
    Load r;
    load(r, header + "1\n1\n0 0\n1\n2\n3\n4\n3\n1.5 100\n3 120\n5 150\n0\n");
    ASSERT_EQ(r.stations.size(), 1u);
    const Station& s = r.stations[0];
    EXPECT_EQ(s.stationNumber, (std::vector<std::int32_t>{1, 1, 1}));
    EXPECT_EQ(s.pointCode, (std::vector<std::int32_t>{102, 102, 102}));
    EXPECT_EQ(s.abHalf, (std::vector<float>{1.5f, 3.f, 5.f}));
    EXPECT_EQ(s.resistivity, (std::vector<float>{100.f, 120.f, 150.f}));
    for (const auto* ip : {&s.chargeability, &s.deviation, &s.halfDecayTime, &s.decay, &s.compositeParameter})
        EXPECT_EQ(*ip, std::vector<float>(3, -9999.f));
    EXPECT_TRUE(r.ui.messages.empty());
}

// The fields a tagged file does not vary from point to point hold one value per station, not one per
// point, and still read as a value at every point.
TEST(TaggedFileReader, StationsHoldTheirConstantFieldsOnce) {
    Load r;
    load(r, header + "2\n" + block("7", 40) + block("north", 3));
    ASSERT_EQ(r.stations.size(), 2u);
    const std::int32_t expectedNumber[] = {7, 1}; // a name that is no number: the block's index
    for (std::size_t k = 0; k < 2; ++k) {
        const Station& s = r.stations[k];
        const std::size_t n = s.abHalf.size();
        const std::pair<const ValueColumn<std::int32_t>*, std::int32_t> numbers[] = {
            {&s.stationNumber, expectedNumber[k]}, {&s.pointCode, 102}};
        for (const auto& [column, value] : numbers) {
            EXPECT_TRUE(column->isUniform());
            EXPECT_EQ(*column, std::vector<std::int32_t>(n, value));
        }
        const std::pair<const ValueColumn<float>*, float> values[] = {
            {&s.chargeability, -9999.f}, {&s.deviation, -9999.f},          {&s.halfDecayTime, -9999.f},
            {&s.decay, -9999.f},         {&s.compositeParameter, -9999.f}, {&s.mnHalf, 0.f}};
        for (const auto& [column, value] : values) {
            EXPECT_TRUE(column->isUniform());
            EXPECT_EQ(column->heapBytes(), 0u);
            EXPECT_EQ(*column, std::vector<float>(n, value));
        }
    }
    EXPECT_EQ(r.stations[0].abHalf.size(), 40u);
    EXPECT_EQ(r.stations[1].abHalf.size(), 3u);
}

TEST(TaggedFileReader, LineEndsAndLayoutDoNotMatter) {
    const std::string lf = header + "1\n1\n0 0\n1\n2\n3\n4\n3\n1.5 100\n3 120\n5 150\n0\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string noFinalFeed = lf.substr(0, lf.size() - 1);
    // Pairs in any layout, blank and blank-only lines inside the block, tabs as white space.
    const std::string scattered =
        header + "1\n\n  \t\n1\n0\n\n0\n1\n \n2\n3\n4\n3 1.5\n100\t3\n\n120 5\n150 0";
    for (const std::string& text : {crlf, noFinalFeed, scattered, crlf.substr(0, crlf.size() - 2)}) {
        Load r;
        load(r, text);
        ASSERT_EQ(r.stations.size(), 1u) << text;
        EXPECT_EQ(r.stations[0].abHalf, (std::vector<float>{1.5f, 3.f, 5.f}));
        EXPECT_EQ(r.stations[0].resistivity, (std::vector<float>{100.f, 120.f, 150.f}));
        EXPECT_TRUE(r.ui.messages.empty());
    }
}

TEST(TaggedFileReader, FileHeaderLines) {
    struct Case {
        std::string text;
        std::vector<std::string> messages;
        bool owned;
    };
    const std::vector<Case> cases = {
        {"", {emptyFileMessage}, true},
        {"\n\n\r\n", {emptyFileMessage}, true},
        // A line of spaces is not empty: it is taken as the keyword line.
        {"   \nZu电法数据\n测深VES\n1\n" + block("1", 2), {}, true},
        {"Zu数据\n测深VES\n1\n" + block("1", 2), {}, true},
        {"Zu电法数据\n\n\n", {}, true},
        {"Zu电法数据\n测深ves\n1\n" + block("1", 2), {notVesMessage}, false},
        {"Zu电法数据\nVES\n1\n" + block("1", 2), {notVesMessage}, false},
        {"Zu电法数据\n测深VES\n\n", {notDataMessage}, true},
        {"Zu电法数据\n测深VES\n0\n" + block("1", 2), {}, true},
    };
    for (const Case& c : cases) {
        Load r;
        load(r, c.text);
        EXPECT_TRUE(r.stations.empty()) << c.text;
        EXPECT_EQ(texts(r.ui), c.messages) << c.text;
        for (const ScriptedMessage& m : r.ui.messages) {
            EXPECT_EQ(m.caption, "警告");
            EXPECT_EQ(m.icon, MsgIcon::Warning);
            EXPECT_EQ(m.buttons, MsgButtons::Ok);
            EXPECT_EQ(m.owned, c.owned);
        }
    }
}

TEST(TaggedFileReader, KeywordsStandAnywhereInTheirLines) {
    Load r;
    load(r,
         "\n\n  野外 Zu电法数据 2023\r\n\r\nVES 对称四极 测深\r\n\r\n 2\r\n" + block("1", 2) + block("2", 1));
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{1, 2}));
    EXPECT_TRUE(r.ui.messages.empty());
}

TEST(TaggedFileReader, CountLineMustBeAWholeInteger) {
    for (const std::string& line :
         {std::string("   "), std::string("2 "), std::string("2.0"), std::string("x")}) {
        Load r;
        r.stations.resize(3);
        try {
            load(r, header + line + "\n" + block("1", 2));
            ADD_FAILURE() << "no error for " << line;
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + line + "' is not a valid integer value");
        }
        EXPECT_TRUE(r.stations.empty());
    }
}

TEST(TaggedFileReader, BlockCountAgainstBlocksInTheFile) {
    const std::string twoBlocks = block("1", 2) + block("2", 3);
    // More blocks announced than present, or a count that is negative (read unsigned): the reading
    // ends at the first block without points, after one pass of pending messages.
    for (const char* count : {"3", "-1", "2147483647"}) {
        Load r;
        load(r, header + std::string(count) + "\n" + twoBlocks);
        EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{1, 2})) << count;
        EXPECT_TRUE(r.ui.messages.empty());
        EXPECT_EQ(r.ui.pendingMessageCalls, 1);
    }
    Load fewer;
    load(fewer, header + "1\n" + twoBlocks);
    EXPECT_EQ(numbers(fewer.stations), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(fewer.ui.pendingMessageCalls, 0);

    Load noPoints;
    load(noPoints, header + "3\n" + block("1", 2) + block("2", 0) + block("3", 2));
    EXPECT_EQ(numbers(noPoints.stations), (std::vector<std::int32_t>{1}));
}

TEST(TaggedFileReader, StationNumbersComeFromIntegerNamesOrTheBlockIndex) {
    Load r;
    load(r, header + "7\n" + block("12", 1) + block("B", 1) + block("  12  ", 1) + block("-4", 1) +
                block("1 2", 1) + block("A7", 1) + block("+8", 1));
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{12, 1, 12, -4, 4, 5, 8}));
}

TEST(TaggedFileReader, TheReaderEmptiesTheListFirst) {
    Load r;
    r.stations.resize(4);
    load(r, header + "1\n" + block("9", 2));
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{9}));
}

TEST(TaggedFileReader, TwoHundredPairsAreReadTwoHundredAndOneRefused) {
    Load full;
    load(full, header + "2\n" + block("1", 2) + block("2", 200));
    ASSERT_EQ(full.stations.size(), 2u);
    EXPECT_EQ(full.stations[1].abHalf.size(), 200u);
    EXPECT_EQ(full.stations[1].resistivity.back(), 2000.f);
    EXPECT_TRUE(full.ui.messages.empty());

    Load over;
    load(over, header + "3\n" + block("1", 2) + block("2", 201) + block("3", 2));
    EXPECT_EQ(numbers(over.stations), (std::vector<std::int32_t>{1}));
    ASSERT_EQ(over.ui.messages.size(), 1u);
    EXPECT_EQ(over.ui.messages[0].text, formatMessage);
    EXPECT_EQ(over.ui.messages[0].caption, "警告");
    EXPECT_EQ(over.ui.messages[0].icon, MsgIcon::Warning);
    EXPECT_FALSE(over.ui.messages[0].owned);
}

TEST(TaggedFileReader, AuxiliaryTableIsReadAndDiscarded) {
    Load r;
    load(r, header + "2\n1\n0 0\na\nb\nc\nd\n2\n1 10 2 20\n3\n5 6\n7 8\n9 10\n" + block("2", 1));
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(r.stations[0].abHalf, (std::vector<float>{1.f, 2.f}));
    EXPECT_TRUE(r.ui.messages.empty());
}

TEST(TaggedFileReader, AuxiliaryCountAboveTwoHundredKeepsTheBlockAndReadsOnInThePairs) {
    // The unread auxiliary "pairs" here happen to form the next block, named 7.
    Load r;
    load(r, header + "2\n1\n0 0\na\nb\nc\nd\n1\n2 20\n201\n7\n0 0\ne\nf\ng\nh\n1\n3 30\n0\n");
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{1, 7}));
    EXPECT_EQ(r.stations[1].resistivity, (std::vector<float>{30.f}));
    EXPECT_EQ(texts(r.ui), (std::vector<std::string>{formatMessage}));
}

TEST(TaggedFileReader, HeaderTextOnTheNumberLine) {
    // The text after the second number is the first header text; the next three lines the others,
    // so the point count comes right after "c".
    Load r;
    load(r, header + "1\n5\n0 0 测区一\na\nb\nc\n2\n1 10\n2 20\n0\n");
    ASSERT_EQ(r.stations.size(), 1u);
    EXPECT_EQ(r.stations[0].abHalf, (std::vector<float>{1.f, 2.f}));
    EXPECT_TRUE(r.ui.messages.empty());
}

TEST(TaggedFileReader, MalformedBlocksEndTheReadingWithOneMessage) {
    struct Case {
        std::string secondBlock;
        std::vector<std::string> messages;
        bool complete; // whole block: another block after it in the file stays unread
    };
    const std::vector<Case> cases = {
        {"2\n0 0\na\nb\nc\nd\n2\n1 10\n2 x20\n0\n", {formatMessage}, true},
        {"2\n0 0\na\nb\nc\nd\nmany\n1 10\n0\n", {formatMessage}, true},
        {"2\n0 0\na\nb\nc\nd\n1\n1 10\n0.5\n", {formatMessage}, true},
        {"2\nzero 0\na\nb\nc\nd\n1\n1 10\n0\n", {formatMessage}, true},
        {"2\n0 0\na\nb\nc\nd\n1\n1 10\n1\n1 1e39\n", {formatMessage}, true},
        // The file ends inside the block after its header texts.
        {"2\n0 0\na\nb\nc\nd\n", {formatMessage}, false},
        {"2\n0 0\na\nb\nc\nd\n2\n1 10\n2", {formatMessage}, false},
        {"2\n0 0\na\nb\nc\nd\n2\n1 10\n2 20\n", {formatMessage}, false},
        // The file ends before the header texts are complete: the reading just ends.
        {"2\n0 0\na\nb\n", {}, false},
        {"2\n0", {}, false},
    };
    for (const Case& c : cases) {
        Load r;
        load(r, header + "3\n" + block("1", 2) + c.secondBlock);
        EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{1})) << c.secondBlock;
        EXPECT_EQ(texts(r.ui), c.messages) << c.secondBlock;
        if (!c.complete)
            continue;
        Load more;
        load(more, header + "3\n" + block("1", 2) + c.secondBlock + block("3", 2));
        EXPECT_EQ(numbers(more.stations), (std::vector<std::int32_t>{1})) << c.secondBlock;
        EXPECT_EQ(texts(more.ui), c.messages) << c.secondBlock;
    }
}

TEST(TaggedFileReader, MissingFileLoadsNothingAndSaysSoAsTheColumnReaderDoes) {
    ScriptedUi ui;
    StationList stations(2);
    readTaggedFile(ui, "/nonexistent/folder/survey.ves", stations);
    EXPECT_TRUE(stations.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "无法打开数据文件:\n/nonexistent/folder/survey.ves");
    EXPECT_EQ(ui.messages[0].caption, "警告");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Warning);
}

TEST(TaggedFileReader, LongLinesAreReadWhole) {
    // A keyword line of a megabyte with the keyword at its end, and a long header text.
    Load r;
    load(r, std::string(1 << 20, 'x') + "Zu电法数据\n测深VES\n1\n1\n0 0 " + std::string(300000, 'y') +
                "\nb\nc\nd\n1\n4 40\n0\n");
    ASSERT_EQ(r.stations.size(), 1u);
    EXPECT_EQ(r.stations[0].resistivity, (std::vector<float>{40.f}));
}

TEST(TaggedFileReader, ReadOnlyFileIsReadAndLeftUnchanged) {
    TempFolder folder;
    const std::string file = folder.writeGbk("survey.ves", header + "1\n" + block("3", 4));
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    const auto before = std::filesystem::last_write_time(file);
    const std::string bytes = datatest::readBytes(file);
    ScriptedUi ui;
    StationList stations;
    readTaggedFile(ui, file, stations);
    ASSERT_EQ(stations.size(), 1u);
    EXPECT_EQ(stations[0].abHalf.size(), 4u);
    EXPECT_EQ(std::filesystem::last_write_time(file), before);
    EXPECT_EQ(datatest::readBytes(file), bytes);
}

} // namespace
