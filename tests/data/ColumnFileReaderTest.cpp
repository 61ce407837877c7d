#include "data/ColumnFileReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DataFiles.h"
#include "ScriptedUi.h"
#include "core/ConversionError.h"
#include "data/DataFileStream.h"
#include "data/ReadReport.h"

namespace {

using datatest::TempFolder;

const std::string header = "测区\n电测深\n点号 AB/2 MN/2 视电阻率\n";

// A valid row of station `number` with AB/2 `ab`: resistivity 100, IP values 1.
std::string row(const std::string& number, const std::string& ab = "1.5") {
    return number + " " + ab + " 0.5 100 1 1 1 1 1 1 0 0\n";
}

struct Load {
    ScriptedUi ui;
    StationList stations;
    std::string error;
};

void load(Load& result, const std::string& utf8Text) {
    TempFolder folder;
    try {
        readColumnFile(result.ui, folder.writeGbk("survey.dat", utf8Text), result.stations);
    } catch (const ConversionError& e) {
        result.error = e.what();
    }
}

std::vector<std::int32_t> numbers(const StationList& stations) {
    std::vector<std::int32_t> all;
    for (const Station& s : stations)
        all.push_back(s.stationNumber.at(0));
    return all;
}

std::vector<std::string> split(const std::string& utf8Line) {
    std::string gbk = utf8ToGbk(utf8Line);
    std::vector<std::string_view> fields{"stale"};
    splitFields(gbk, fields);
    std::vector<std::string> out;
    for (std::string_view f : fields)
        out.push_back(gbkToUtf8(f));
    return out;
}

TEST(ColumnFileReader, ReadsTheMinimalFile) {
    Load r;
    load(r, "1\n测深\n1\n1 1.5 0.5 100 1 1 1 1 1 1 0 0\n1 3 0.5 120 1 1 1 1 1 1 0 0\n2 1.5 0.5 90 1 1 1 1 1 "
            "1 0 0\n");
    EXPECT_EQ(r.error, "");
    ASSERT_EQ(numbers(r.stations), (std::vector<std::int32_t>{1, 2}));
    const Station& s = r.stations[0];
    EXPECT_EQ(s.stationNumber, (std::vector<std::int32_t>{1, 1}));
    EXPECT_EQ(s.pointCode, (std::vector<std::int32_t>{102, 102}));
    // Every value is stored 0.0001 higher, R and TH scaled.
    EXPECT_EQ(s.abHalf, (std::vector<float>{1.5001f, 3.0001f}));
    EXPECT_EQ(s.resistivity, (std::vector<float>{100.0001f, 120.0001f}));
    EXPECT_FLOAT_EQ(s.chargeability[0], 1.0001f);
    EXPECT_FLOAT_EQ(s.deviation[0], 0.10001f);
    EXPECT_FLOAT_EQ(s.halfDecayTime[0], 0.0010001f);
    EXPECT_FLOAT_EQ(s.decay[0], 1.0001f);
    EXPECT_FLOAT_EQ(s.compositeParameter[0], 1.0001f);
    EXPECT_EQ(r.stations[1].resistivity, (std::vector<float>{90.0001f}));
    EXPECT_TRUE(r.ui.messages.empty());
    EXPECT_EQ(r.ui.pendingMessageCalls, 0);
}

TEST(ColumnFileReader, HeaderLinesAreTheFirstThreeNonEmptyLines) {
    Load r;
    load(r, "\n\nA\n\r\n\nB\n   \n" + row("4") + "\n" + row("5"));
    // The line of spaces is the third header line; the blank line between rows is skipped.
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{4, 5}));

    for (const std::string& text : {std::string(), std::string("A\n\nB\n"), std::string("A\nB")}) {
        Load few;
        load(few, text);
        EXPECT_TRUE(few.stations.empty());
        EXPECT_TRUE(few.ui.messages.empty());
    }
}

TEST(ColumnFileReader, LineEndsAndTheLastLineWithoutFeed) {
    Load crlf;
    load(crlf, "a\r\nb\r\nc\r\n1 2 0.5 100 1 1 1 1 1 1 0 0\r\n2 2 0.5 100 1 1 1 1 1 1 0 0");
    EXPECT_EQ(numbers(crlf.stations), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(crlf.stations[1].abHalf, (std::vector<float>{2.0001f}));
}

TEST(ColumnFileReader, SeparatorsSplitIntoTheSameFields) {
    const std::vector<std::string> twelve = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    EXPECT_EQ(split("1,2,3,4,5,6,7,8,9,10,11,12"), twelve);
    EXPECT_EQ(split("1 2 ,\t3 , 4\t5,6  7 8，9，，10 ， 11 12"), twelve);
    EXPECT_EQ(split("  ,1 2 3 4 5 6 7 8 9 10 11 12,\t \r"), twelve);
    EXPECT_EQ(split("测深，VES,对称四极"), (std::vector<std::string>{"测深", "VES", "对称四极"}));
    EXPECT_TRUE(split(" , \t，").empty());

    std::string many;
    for (int k = 0; k < 150; ++k)
        many += std::to_string(k) + " ";
    EXPECT_EQ(split(many).size(), 100u);
    EXPECT_EQ(split(many).back(), "99");

    Load r;
    load(r, header + "1,2,0.5,100,1,1,1,1,1,1,0,0\n2，2，0.5\t100 , 1 1 1 1 1 1 0 0\n");
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{1, 2}));
}

TEST(ColumnFileReader, OnlyRowsOfTwelveFieldsAreRead) {
    Load r;
    load(r, header + "1 2 0.5 100 1 1 1 1 1 1 0\n" + "2 2 0.5 100 1 1 1 1 1 1 0 0 0\n\n  \n" + row("3") +
                "1 2 0.5 100 1 1 1 1 1 1 0 0" + std::string(120, ' ') + "1\n");
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{3}));
    EXPECT_TRUE(r.ui.messages.empty());
    EXPECT_EQ(r.ui.pendingMessageCalls, 0);
}

TEST(ColumnFileReader, ValidityFlagInColumnTen) {
    Load r;
    load(r, header + "1 2 0.5 100 1 1 1 1 1 0 0 0\n" + "2 2 0.5 100 1 1 1 1 1 -1 0 0\n" +
                "3 2 0.5 100 1 1 1 1 1 -2 0 0\n" + "4 2 0.5 100 1 1 1 1 1 7 0 0\n");
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{3, 4}));
    // A flag of 0 is skipped without, -1 after one pass of pending messages.
    EXPECT_EQ(r.ui.pendingMessageCalls, 1);
    EXPECT_TRUE(r.ui.messages.empty());

    Load real;
    load(real, header + row("1") + "2 2 0.5 100 1 1 1 1 1 1.0 0 0\n" + row("3"));
    EXPECT_EQ(real.error, "'1.0' is not a valid integer value");
    EXPECT_EQ(numbers(real.stations), (std::vector<std::int32_t>{1}));
}

TEST(ColumnFileReader, StationNumbersAreTruncatedAndLimited) {
    Load r;
    load(r, header + row("20000") + row("20001") + row("12.996") + row("12.99") + row("-3") + row("20000.9"));
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{20000, 13, 12, -2}));
    EXPECT_EQ(r.stations[0].size(), 2u);
    EXPECT_EQ(r.ui.pendingMessageCalls, 1);
}

TEST(ColumnFileReader, AbHalfAndResistivityLimits) {
    Load r;
    load(r, header + row("1", "100000") + row("2", "0.05") + row("3", "0.1") + row("4", "100001") +
                "5 2 0.5 0 1 1 1 1 1 1 0 0\n" + "6 2 0.5 -1 1 1 1 1 1 1 0 0\n" +
                "7 2 0.5 -0.0001 1 1 1 1 1 1 0 0\n");
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{1, 3, 5}));
    EXPECT_EQ(r.stations[0].abHalf, (std::vector<float>{100000.f}));
    EXPECT_EQ(r.stations[2].resistivity, (std::vector<float>{0.0001f}));
    EXPECT_EQ(r.ui.pendingMessageCalls, 4);
}

TEST(ColumnFileReader, MissingValueMarkersStayExact) {
    Load r;
    load(r, header + "1 2 0.5 9999 -9999 -9999 9999 9999 -9999 1 0 0\n" +
                "2 2 0.5 100 9999 9999 -9999 -9999 9999 1 0 0\n");
    ASSERT_EQ(r.stations.size(), 2u);
    const Station& a = r.stations[0];
    EXPECT_EQ(a.resistivity[0], 9999.f);
    EXPECT_EQ(a.chargeability[0], -9999.f);
    EXPECT_EQ(a.deviation[0], -9999.f);
    EXPECT_EQ(a.halfDecayTime[0], 9999.f);
    EXPECT_EQ(a.decay[0], 9999.f);
    EXPECT_EQ(a.compositeParameter[0], -9999.f);
    const Station& b = r.stations[1];
    EXPECT_EQ(b.chargeability[0], 9999.f);
    EXPECT_EQ(b.deviation[0], 9999.f);
    EXPECT_EQ(b.halfDecayTime[0], -9999.f);
    EXPECT_EQ(b.decay[0], -9999.f);
    EXPECT_EQ(b.compositeParameter[0], 9999.f);
    // Ordinary large values are still scaled.
    Load big;
    load(big, header + "1 2 0.5 100 1 9000 9000 1 1 1 0 0\n");
    EXPECT_FLOAT_EQ(big.stations.at(0).deviation[0], 900.00001f);
    EXPECT_FLOAT_EQ(big.stations.at(0).halfDecayTime[0], 9.0000001f);
}

TEST(ColumnFileReader, ScatteredRowsOfAStationAreMergedInFileOrder) {
    Load r;
    load(r, header + row("5", "1") + row("3", "1") + row("5", "2") + row("3", "2") + row("5", "3"));
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{5, 3}));
    EXPECT_EQ(r.stations[0].abHalf, (std::vector<float>{1.0001f, 2.0001f, 3.0001f}));
    EXPECT_EQ(r.stations[1].abHalf, (std::vector<float>{1.0001f, 2.0001f}));
    for (const Station& s : r.stations) {
        for (std::size_t n :
             {s.stationNumber.size(), s.pointCode.size(), s.resistivity.size(), s.chargeability.size(),
              s.deviation.size(), s.halfDecayTime.size(), s.decay.size(), s.compositeParameter.size()})
            EXPECT_EQ(n, s.abHalf.size());
    }
}

TEST(ColumnFileReader, AppendsToTheListWithoutEmptyingIt) {
    Load r;
    Station earlier;
    earlier.appendPoint(3, 1.f, 1.f, 0, 0, 0, 0, 0);
    r.stations.push_back(earlier);
    load(r, header + row("4") + row("3", "9"));
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{3, 4}));
    EXPECT_EQ(r.stations[0].abHalf, (std::vector<float>{1.f, 9.0001f}));
}

TEST(ColumnFileReader, ConversionErrorsKeepTheStationsBefore) {
    struct Case {
        std::string line;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"测点 AB/2 MN/2 视电阻率 M1 R TH TD ZP 标志 备用 备用", "'标志' is not a valid integer value"},
        {"one two three four five six seven eight nine ten eleven twelve",
         "'ten' is not a valid integer value"},
        {"2 2 0.5 abc 1 1 1 1 1 1 0 0", "'abc' is not a valid floating point value"},
        {"2 2 0.5 1e999 1 1 1 1 1 1 0 0", "'1e999' is not a valid floating point value"},
        {"2 2 0.5 100 1 1 1 1 1 1 0 nan", "'nan' is not a valid floating point value"},
        {"x 2 0.5 100 1 1 1 1 1 0 0 0", ""}, // column 10 of 0 comes first: skipped
    };
    for (const Case& c : cases) {
        Load r;
        load(r, header + row("1") + row("9") + c.line + "\n" + row("5"));
        EXPECT_EQ(r.error, c.error) << c.line;
        std::vector<std::int32_t> expected = {1, 9};
        if (c.error.empty())
            expected.push_back(5);
        EXPECT_EQ(numbers(r.stations), expected) << c.line;
    }
}

TEST(ColumnFileReader, FileWithOnlyInvalidRowsLeavesTheListAsItWas) {
    Load r;
    r.stations.resize(2);
    load(r, header + row("30000") + row("1", "0") + "1 2 0.5 -5 1 1 1 1 1 1 0 0\n");
    EXPECT_EQ(r.stations.size(), 2u);
    EXPECT_EQ(r.ui.pendingMessageCalls, 3);
}

TEST(ColumnFileReader, FileThatCannotBeOpened) {
    ScriptedUi ui;
    StationList stations;
    const std::string name = "/nonexistent/folder/survey.dat";
    readColumnFile(ui, name, stations);
    EXPECT_TRUE(stations.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "无法打开数据文件:\n" + name);
    EXPECT_EQ(ui.messages[0].caption, "电测深曲线绘制系统");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
}

TEST(ColumnFileReader, ReadOnlyFileIsReadAndLeftUnchanged) {
    TempFolder folder;
    const std::string file = folder.writeGbk("survey.dat", header + row("1") + row("2"));
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    const auto before = std::filesystem::last_write_time(file);
    const std::string bytes = datatest::readBytes(file);
    ScriptedUi ui;
    StationList stations;
    readColumnFile(ui, file, stations);
    EXPECT_EQ(numbers(stations), (std::vector<std::int32_t>{1, 2}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(std::filesystem::last_write_time(file), before);
    EXPECT_EQ(datatest::readBytes(file), bytes);
}

TEST(ColumnFileReader, LongLinesAreReadWhole) {
    // A megabyte of separators before a row still makes a row of twelve fields.
    Load r;
    load(r, header + std::string(1 << 20, ' ') + "7 2 0.5 100 1 1 1 1 1 1 0 0\n" + std::string(1 << 20, '9') +
                "\n" + row("8"));
    EXPECT_EQ(numbers(r.stations), (std::vector<std::int32_t>{7, 8}));
}

TEST(ColumnFileReader, ManyStationsKeepTheirOrderOfFirstAppearance) {
    EXPECT_FALSE(findStation(1, StationList()).has_value());
    std::string text = header;
    for (int pass = 0; pass < 3; ++pass) {
        for (int n = 20000; n > 0; n -= 7)
            text += std::to_string(n) + " " + std::to_string(pass + 1) + " 1 50 1 1 1 1 1 1 0 0\n";
    }
    Load r;
    load(r, text);
    ASSERT_EQ(r.stations.size(), 2858u);
    EXPECT_EQ(r.stations.front().stationNumber[0], 20000);
    EXPECT_EQ(r.stations.back().stationNumber[0], 1);
    EXPECT_EQ(r.stations.back().abHalf, (std::vector<float>{1.0001f, 2.0001f, 3.0001f}));
}

} // namespace

TEST(ColumnFileReader, AnOverlongRowIsAnInvalidRow) {
    for (const std::string& junk :
         {std::string(maxLineBytes + 1, 'A'),
          "1 1.5 0.5 100 1 1 1 1 1 1 0 0" + std::string(3 * maxLineBytes, ' ') + "9"}) {
        datatest::TempFolder folder;
        ScriptedUi ui;
        StationList stations;
        ReadReport report;
        readColumnFile(ui,
                       folder.writeBytes("long.dat", "a\nb\nc\n" + junk + "\n2 2 0.5 100 1 1 1 1 1 1 0 0\n"),
                       stations, &report);
        ASSERT_EQ(stations.size(), 1u);
        EXPECT_EQ(stations[0].stationNumber[0], 2);
        EXPECT_EQ(report.skippedRows, 1u);
        EXPECT_TRUE(ui.messages.empty());
    }
}
