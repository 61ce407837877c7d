// The sample files shipped in Data/ and real field soundings load completely.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <string>

#include "ScriptedUi.h"
#include "core/FilePath.h"
#include "data/ColumnFileProbe.h"
#include "data/TaggedFileReader.h"

namespace {

const std::string sampleDir = VESPLOT_SAMPLE_DATA_DIR "/";
const std::string realDir = VESPLOT_REAL_DATA_DIR "/";

void expectShape(const StationList& stations, std::size_t count, std::size_t points, std::int32_t first) {
    ASSERT_EQ(stations.size(), count);
    for (std::size_t k = 0; k < count; ++k) {
        const Station& s = stations[k];
        EXPECT_EQ(s.stationNumber.at(0), first + static_cast<std::int32_t>(k));
        EXPECT_EQ(s.abHalf.size(), points);
        EXPECT_EQ(s.stationNumber, std::vector<std::int32_t>(points, s.stationNumber[0]));
        for (std::size_t j = 0; j < s.size(); ++j) {
            EXPECT_GE(s.abHalf[j], 0.1f);
            EXPECT_GT(s.resistivity[j], 0.f);
        }
    }
}

TEST(SurveyFiles, SampleFilesLoadWithoutMessages) {
    ScriptedUi ui;
    StationList stations;
    EXPECT_TRUE(probeColumnFile(ui, sampleDir + "sample-ip.dat", stations));
    expectShape(stations, 6, 16, 101);
    EXPECT_FLOAT_EQ(stations[0].abHalf.front(), 1.5001f);
    EXPECT_FLOAT_EQ(stations[0].abHalf.back(), 500.0001f);
    for (float m1 : stations[2].chargeability)
        EXPECT_GT(m1, 0.f);

    readTaggedFile(ui, sampleDir + "sample.ves", stations);
    expectShape(stations, 4, 16, 11);
    EXPECT_EQ(stations[0].abHalf.front(), 1.5f);
    EXPECT_EQ(stations[0].chargeability, std::vector<float>(16, missingValue));
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SurveyFiles, RealTaggedFiles) {
    // Stations numbered 1..n, CRLF line ends; AB/2 from 1 m with the repeated MN/2 segment points.
    struct Case {
        const char* file;
        std::size_t stations, points;
        float lastAb, firstRho;
    };
    for (const Case& c : {Case{"boundiali.ves", 4, 33, 110.f, 107.f}, Case{"gbalo.ves", 4, 32, 100.f, 943.f},
                          Case{"semien.ves", 3, 33, 110.f, 61.f}}) {
        ScriptedUi ui;
        StationList stations;
        readTaggedFile(ui, realDir + c.file, stations);
        expectShape(stations, c.stations, c.points, 1);
        if (stations.empty())
            continue;
        EXPECT_EQ(stations[0].abHalf.front(), 1.f) << c.file;
        EXPECT_EQ(stations[0].abHalf[4], 3.f) << c.file; // 3 m again after the MN/2 change
        EXPECT_EQ(stations[0].abHalf.back(), c.lastAb) << c.file;
        EXPECT_EQ(stations[0].resistivity.front(), c.firstRho) << c.file;
        EXPECT_TRUE(ui.messages.empty()) << c.file;
    }
}

TEST(SurveyFiles, RealColumnFiles) {
    struct Case {
        const char* file;
        std::size_t stations, points;
        float firstRho;
    };
    for (const Case& c : {Case{"boundiali.dat", 4, 33, 107.f}, Case{"gbalo.dat", 4, 32, 943.f},
                          Case{"semien.dat", 3, 33, 61.f}}) {
        ScriptedUi ui;
        StationList stations;
        EXPECT_TRUE(probeColumnFile(ui, realDir + c.file, stations)) << c.file;
        expectShape(stations, c.stations, c.points, 1);
        if (stations.empty())
            continue;
        EXPECT_FLOAT_EQ(stations[0].resistivity.front(), c.firstRho + 0.0001f) << c.file;
        // The IP columns hold the missing-value marker, which stays exact in every field.
        for (const auto* ip : {&stations[0].chargeability, &stations[0].deviation, &stations[0].halfDecayTime,
                               &stations[0].decay, &stations[0].compositeParameter})
            EXPECT_EQ(*ip, std::vector<float>(c.points, missingValue)) << c.file;
        EXPECT_TRUE(ui.messages.empty()) << c.file;
        EXPECT_EQ(ui.pendingMessageCalls, 0) << c.file;
    }
}

} // namespace

// Both readers give the same stations under a comma-decimal process locale as under C.
TEST(SurveyFiles, ReadTheSameUnderACommaDecimalLocale) {
    const auto readBoth = [] {
        ScriptedUi ui;
        StationList column, tagged;
        probeColumnFile(ui, sampleDir + "sample-ip.dat", column);
        readTaggedFile(ui, sampleDir + "sample.ves", tagged);
        return std::make_pair(column, tagged);
    };
    const auto underC = readBoth();
    ASSERT_FALSE(underC.first.empty());
    ASSERT_FALSE(underC.second.empty());
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no de_DE.UTF-8 locale here (scripts/install-deps.sh generates it)";
    const auto underComma = readBoth();
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(underComma.first, underC.first);
    EXPECT_EQ(underComma.second, underC.second);
}

// A file whose name holds Chinese characters and spaces opens like any other, and a name that
// cannot be opened is quoted whole in the message.
TEST(SurveyFiles, ChineseNamesWithSpaces) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / pathFromUtf8("vesplot 测试 文件夹");
    std::filesystem::create_directories(folder);
    const std::filesystem::path named = folder / pathFromUtf8("测点 数据 1.ves");
    std::filesystem::copy_file(pathFromUtf8(sampleDir + "sample.ves"), named,
                               std::filesystem::copy_options::overwrite_existing);
    ScriptedUi ui;
    StationList stations;
    readTaggedFile(ui, named, stations);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(stations.empty());

    StationList none;
    probeColumnFile(ui, folder / pathFromUtf8("缺少 的.dat"), none);
    ASSERT_EQ(ui.messages.size(), 1u);
    // The name as the system writes it (a backslash before the file's name on Windows).
    EXPECT_EQ(ui.messages[0].text, "无法打开数据文件:\n" + pathToUtf8(folder / pathFromUtf8("缺少 的.dat")));
    std::filesystem::remove_all(folder);
}
