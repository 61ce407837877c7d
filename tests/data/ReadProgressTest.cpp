// Progress, cancelling and the skipped-row count of the file readers.

#include "data/ReadProgress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "DataFiles.h"
#include "ScriptedUi.h"
#include "core/ConversionError.h"
#include "data/ColumnFileProbe.h"
#include "data/ColumnFileReader.h"
#include "data/TaggedFileReader.h"

namespace {

using datatest::TempFolder;

// How many descriptors of this process have `file` open.
// How often the process has the file open, by its descriptors in /proc; -1 where the system keeps no
// such list (Windows).
int openCount(const std::string& file) {
#ifndef __linux__
    (void)file;
    return -1;
#endif
    const std::filesystem::path target = std::filesystem::canonical(file);
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path(), linkError) == target)
            ++count;
    }
    return count;
}

// Records every progress report and whether the file was open at the time; cancels at a given call.
class ProgressUi : public ScriptedUi {
public:
    explicit ProgressUi(std::string file, int cancelAt = -1) : file(std::move(file)), cancelAt(cancelAt) {}

    bool progress(std::uint64_t done, std::uint64_t total) override {
        reports.emplace_back(done, total);
        openDuringReports.push_back(openCount(file));
        return static_cast<int>(reports.size()) != cancelAt;
    }

    std::string file;
    int cancelAt;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    std::vector<int> openDuringReports;
};

const std::string columnHeader = "测区\n电测深\n点号 AB/2 MN/2 视电阻率\n";

// A column file of `stations` stations with 30 valid rows each.
std::string largeColumnFile(std::size_t stations) {
    std::string text = columnHeader;
    for (std::size_t s = 1; s <= stations; ++s)
        for (int k = 1; k <= 30; ++k)
            text += std::to_string(s) + " " + std::to_string(k) + ".5 0.5 100 1 1 1 1 1 1 0 0\n";
    return text;
}

// A tagged file of `stations` blocks with 40 points each.
std::string largeTaggedFile(std::size_t stations) {
    std::string text = "Zu电法数据\n测深VES\n" + std::to_string(stations) + "\n";
    for (std::size_t s = 1; s <= stations; ++s) {
        text += std::to_string(s) + "\n0 0\n1\n2\n3\n4\n40\n";
        for (int k = 1; k <= 40; ++k)
            text += std::to_string(k) + " " + std::to_string(10 * k) + "\n";
        text += "0\n";
    }
    return text;
}

// Files of about 2 MB and 1.1 MB.
constexpr std::size_t columnStations = 2000;
constexpr std::size_t taggedStations = 4000;

enum class Reader { Column, Probe, Tagged };

void read(Reader reader, Ui& ui, const std::string& file, StationList& stations, ReadReport& report) {
    switch (reader) {
    case Reader::Column:
        readColumnFile(ui, file, stations, &report);
        break;
    case Reader::Probe:
        probeColumnFile(ui, file, stations, &report);
        break;
    case Reader::Tagged:
        readTaggedFile(ui, file, stations, &report);
        break;
    }
}

class LargeFile : public ::testing::TestWithParam<Reader> {
protected:
    void SetUp() override {
        file = GetParam() == Reader::Tagged ? folder.writeGbk("survey.ves", largeTaggedFile(taggedStations))
                                            : folder.writeGbk("survey.dat", largeColumnFile(columnStations));
        size = std::filesystem::file_size(file);
        ASSERT_GT(size, 16 * progressStep);
    }
    std::size_t stationCount() const {
        return GetParam() == Reader::Tagged ? taggedStations : columnStations;
    }
    TempFolder folder;
    std::string file;
    std::uint64_t size = 0;
};

TEST_P(LargeFile, CancelAtTheFirstReportStopsTheReadingAndClosesTheFile) {
    ProgressUi ui(file, 1);
    StationList stations;
    ReadReport report;
    read(GetParam(), ui, file, stations, report);

    EXPECT_TRUE(report.cancelled);
    ASSERT_EQ(ui.reports.size(), 1u) << "no report after the cancel";
    if (openCount(file) >= 0) {
        EXPECT_EQ(ui.openDuringReports[0], 1);
        EXPECT_EQ(openCount(file), 0);
    }
    // Stopped near the first report, far from the end of the file.
    EXPECT_GE(ui.reports[0].first, progressStep);
    EXPECT_LT(ui.reports[0].first, 2 * progressStep);
    EXPECT_EQ(ui.reports[0].second, size);
    EXPECT_LT(stations.size(), stationCount() / 8);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_P(LargeFile, ReportsRiseStepByStepToTheFileSize) {
    ProgressUi ui(file);
    StationList stations;
    ReadReport report;
    read(GetParam(), ui, file, stations, report);

    EXPECT_FALSE(report.cancelled);
    EXPECT_EQ(stations.size(), stationCount());
    ASSERT_FALSE(ui.reports.empty());
    EXPECT_EQ(ui.reports.back(), std::make_pair(size, size));
    for (std::size_t k = 0; k + 1 < ui.reports.size(); ++k) {
        EXPECT_EQ(ui.reports[k].second, size);
        EXPECT_GE(ui.reports[k + 1].first, ui.reports[k].first);
    }
    // Roughly one report per step: neither one per line nor a handful for the whole file.
    const std::uint64_t steps = size / progressStep;
    EXPECT_GE(ui.reports.size(), steps - 1);
    EXPECT_LE(ui.reports.size(), steps + 2);
    EXPECT_LE(openCount(file), 0); // closed (-1: not countable here)
}

TEST_P(LargeFile, CancelLaterKeepsOnlyTheStationsReadBefore) {
    ProgressUi ui(file, 3);
    StationList stations;
    ReadReport report;
    read(GetParam(), ui, file, stations, report);

    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(ui.reports.size(), 3u);
    EXPECT_GE(ui.reports[2].first, 3 * progressStep);
    EXPECT_FALSE(stations.empty());
    EXPECT_LE(openCount(file), 0); // closed (-1: not countable here)
}

INSTANTIATE_TEST_SUITE_P(Readers, LargeFile,
                         ::testing::Values(Reader::Column, Reader::Probe, Reader::Tagged));

TEST(ReadProgress, ReportsWithoutAReportObjectAndSmallFilesEndAtTheirSize) {
    TempFolder folder;
    const std::string file = folder.writeGbk("small.dat", columnHeader + "1 1.5 0.5 100 1 1 1 1 1 1 0 0\n");
    ProgressUi ui(file);
    StationList stations;
    readColumnFile(ui, file, stations);
    const std::uint64_t size = std::filesystem::file_size(file);
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_EQ(ui.reports[0], std::make_pair(size, size));
    EXPECT_EQ(stations.size(), 1u);
}

TEST(ReadProgress, CancelsInALongRunOfEmptyLinesAmongTheHeaderLines) {
    TempFolder folder;
    const std::string file =
        folder.writeGbk("blank.dat", "测区\n" + std::string(8 * progressStep, '\n') + "电测深\n1\n" +
                                         "1 1.5 0.5 100 1 1 1 1 1 1 0 0\n");
    ProgressUi ui(file, 1);
    StationList stations;
    ReadReport report;
    EXPECT_FALSE(probeColumnFile(ui, file, stations, &report));
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(ui.reports.size(), 1u);
    EXPECT_TRUE(stations.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_LE(openCount(file), 0); // closed (-1: not countable here)

    // The column reader itself, among its header lines.
    ProgressUi columnUi(file, 2);
    ReadReport columnReport;
    readColumnFile(columnUi, file, stations, &columnReport);
    EXPECT_TRUE(columnReport.cancelled);
    EXPECT_EQ(columnUi.reports.size(), 2u);
    EXPECT_TRUE(stations.empty());
    EXPECT_LE(openCount(file), 0); // closed (-1: not countable here)
}

// The skipped-row count.

std::uint64_t skippedRows(const std::string& utf8Text, std::uint64_t before = 0) {
    TempFolder folder;
    ScriptedUi ui;
    StationList stations;
    ReadReport report;
    report.skippedRows = before;
    readColumnFile(ui, folder.writeGbk("survey.dat", utf8Text), stations, &report);
    EXPECT_FALSE(report.cancelled);
    return report.skippedRows;
}

const std::string valid = "1 1.5 0.5 100 1 1 1 1 1 1 0 0\n";

TEST(SkippedRows, CountsEveryNonBlankLineThatAddsNoPoint) {
    const std::string text =
        columnHeader + valid +
        "1 3 0.5 100 1 1 1 1 1 1 0\n"       // 11 fields
        "1 3 0.5 100 1 1 1 1 1 1 0 0 0\n"   // 13 fields
        "1 3 0.5 100 1 1 1 1 1 0 0 0\n"     // column 10 is 0
        "1 0.05 0.5 100 1 1 1 1 1 1 0 0\n"  // AB/2 below 0.1
        "1 3 0.5 -5 1 1 1 1 1 1 0 0\n"      // resistivity not positive (0 would become 0.0001)
        "20001 3 0.5 100 1 1 1 1 1 1 0 0\n" // station number above 20000
        "\n   \n\t\n, ,，\r\n" +            // blank lines
        "注释\n" +                          // one field
        valid;
    EXPECT_EQ(skippedRows(text), 7u);
}

TEST(SkippedRows, HeaderLinesAndBlankLinesDoNotCount) {
    EXPECT_EQ(skippedRows("测区 一 二\n\n电测深\n\n点号 AB/2 MN/2 视电阻率\n\n\n" + valid + "\n"), 0u);
    EXPECT_EQ(skippedRows(columnHeader), 0u);
    EXPECT_EQ(skippedRows(columnHeader + "1 2 3\n"), 1u);
}

TEST(SkippedRows, AddToTheReportAndStandWhenARowThrows) {
    EXPECT_EQ(skippedRows(columnHeader + "1 2\n", 5), 6u);

    TempFolder folder;
    ScriptedUi ui;
    StationList stations;
    ReadReport report;
    const std::string file = folder.writeGbk("survey.dat", columnHeader + "1 2\n3 4\n" + valid +
                                                               "a b c d e f g h i j k l\n" + valid);
    EXPECT_THROW(readColumnFile(ui, file, stations, &report), ConversionError);
    EXPECT_EQ(report.skippedRows, 2u);
    EXPECT_EQ(stations.size(), 1u);
}

TEST(SkippedRows, ProbePassesTheCountOnAndTaggedFilesSkipNone) {
    TempFolder folder;
    ScriptedUi ui;
    StationList stations;
    ReadReport report;
    EXPECT_TRUE(probeColumnFile(ui, folder.writeGbk("survey.dat", columnHeader + valid + "1 2\n\n"), stations,
                                &report));
    EXPECT_EQ(report.skippedRows, 1u);

    ReadReport tagged;
    readTaggedFile(ui,
                   folder.writeGbk("survey.ves", "Zu电法数据\n测深VES\n1\n7\n0 0\n1\n2\n3\n4\n2\n1 10\n"
                                                 "2 20\n0\n"),
                   stations, &tagged);
    EXPECT_EQ(stations.size(), 1u);
    EXPECT_EQ(tagged.skippedRows, 0u);
    EXPECT_FALSE(tagged.cancelled);
}

} // namespace

// Cancelling among rows the column reader leaves out: every kind of invalid row reaches the check.
TEST(ReadProgress, CancelStopsARunOfInvalidRows) {
    const std::vector<std::string> invalidRows = {
        "1 3 0.5 100 1 1 1 1 1 1 0\n",      // 11 fields
        "1 3 0.5 100 1 1 1 1 1 0 0 0\n",    // column 10 is 0
        "1 0.05 0.5 100 1 1 1 1 1 1 0 0\n", // AB/2 below 0.1
        "注释\n",                           // one field
        std::string(maxLineBytes + 10, 'x') + "\n",
    };
    for (const std::string& row : invalidRows) {
        SCOPED_TRACE(row.substr(0, 40));
        std::string text = columnHeader;
        while (text.size() < std::max<std::size_t>(40 * progressStep, 4 * row.size()))
            text += row;
        text += valid;
        TempFolder folder;
        const std::string file = folder.writeGbk("invalid.dat", text);
        for (Reader reader : {Reader::Column, Reader::Probe}) {
            ScriptedUi ui;
            ui.cancelAfterProgressCalls = 2;
            StationList stations;
            ReadReport report;
            read(reader, ui, file, stations, report);
            EXPECT_TRUE(report.cancelled);
            EXPECT_EQ(ui.progressCalls, 2);
            EXPECT_TRUE(stations.empty());
            EXPECT_LE(report.skippedRows,
                      2 + 8 * progressStep / row.size()); // stopped near the second report
        }
    }
}
