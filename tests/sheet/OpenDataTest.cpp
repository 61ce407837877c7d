#include "sheet/OpenData.h"

#include <gtest/gtest.h>

#include "RecordingCanvas.h"
#include "ScriptedUi.h"
#include "SheetFiles.h"
#include "core/ConversionError.h"
#include "sheet/Composer.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"
#include "sheet/SheetView.h"

namespace {

using sheettest::Pairs;

class OpenDataTest : public ::testing::Test {
protected:
    OpenOutcome openTagged(const std::vector<std::pair<std::string, Pairs>>& blocks,
                           const std::string& name = "a.ves") {
        return openDataFile(s, choices, folder.write(name, sheettest::taggedFile(blocks)),
                            DataFileKind::Tagged, ui);
    }
    OpenOutcome openColumn(const std::string& rows) {
        return openDataFile(s, choices, folder.write("a.dat", sheettest::columnFile(rows)),
                            DataFileKind::Column, ui);
    }

    sheettest::TempFolder folder;
    ScriptedUi ui;
    SheetState s{ui};
    PlotChoices choices;
};

float roundedDown(float v) {
    roundDownIpLimit(v);
    return v;
}

float roundedUp(float v) {
    roundUpIpLimit(v);
    return v;
}

} // namespace

TEST_F(OpenDataTest, DecadesAndLengthsFromAllStations) {
    // AB/2 1.5 … 500 and resistivities 12 … 830 spread over two stations.
    ASSERT_EQ(openTagged({{"11", {{"1.5", "120"}, {"40", "830"}}}, {"12", {{"3", "12"}, {"500", "90"}}}}),
              OpenOutcome::Loaded);
    EXPECT_EQ(s.abMin, 1.0f);
    EXPECT_EQ(s.abMax, 1000.0f);
    EXPECT_EQ(s.xLengthCm, 18.75f);
    EXPECT_EQ(s.rhoMin, 10.0f);
    EXPECT_EQ(s.rhoMax, 1000.0f);
    EXPECT_EQ(s.yLengthCm, 12.5f);
    EXPECT_EQ(s.xLength, 1875.0f);
    EXPECT_EQ(s.yLength, 1250.0f);
    EXPECT_EQ(s.topAxis.rangeMin, 1.0f);
    EXPECT_EQ(s.bottomAxis.rangeMax, 1000.0f);
    EXPECT_EQ(s.leftAxis.rangeMin, 10.0f);
    EXPECT_EQ(s.leftAxis.rangeMax, 1000.0f);

    // The station selector: every station, the first selected, RES ticked, the window shown.
    EXPECT_EQ(choices.stationItems, (std::vector<std::string>{"11", "12"}));
    EXPECT_EQ(choices.stationIndex, 0);
    EXPECT_TRUE(choices.ticked[Quantity::Res]);
    EXPECT_TRUE(choices.visible);

    // Composed for the first station.
    EXPECT_EQ(s.resCurve.xValues, (std::vector<float>{1.5f, 40}));
    EXPECT_EQ(s.titleText.text, "电测深观测数据");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OpenDataTest, ComposedFrameForThreeByTwoDecades) {
    ASSERT_EQ(openTagged({{"1", {{"1.5", "30"}, {"300", "600"}}}}), OpenOutcome::Loaded);
    EXPECT_EQ(s.topAxis.x1, 0.0f);
    EXPECT_EQ(s.topAxis.y1, 1250.0f);
    EXPECT_EQ(s.topAxis.x2, 1875.0f);
    EXPECT_EQ(s.rightAxis.x1, 1875.0f);
    EXPECT_EQ(s.rightAxis.y2, 1250.0f);
    EXPECT_EQ(s.titleText.x1, 601.5f);
    EXPECT_EQ(s.titleText.y1, 1600.0f);
}

TEST_F(OpenDataTest, ValuesBelowOneStartAtTheDecadeOfOne) {
    ASSERT_EQ(openTagged({{"1", {{"0.5", "20"}, {"8", "50"}}}}), OpenOutcome::Loaded);
    EXPECT_EQ(s.abMin, 1.0f);
    EXPECT_EQ(s.abMax, 10.0f);
    EXPECT_EQ(s.xLengthCm, 6.25f);
}

TEST_F(OpenDataTest, TaggedFileGivesTheRightAxisTheResistivityRange) {
    choices.ticked[Quantity::M1] = true;
    ASSERT_EQ(openTagged({{"1", {{"1.5", "30"}, {"300", "600"}}}}, "named-like-columns.dat"),
              OpenOutcome::Loaded);
    for (const Axis* a : {&s.topAxis, &s.leftAxis, &s.bottomAxis, &s.rightAxis})
        EXPECT_TRUE(a->logarithmic);
    EXPECT_EQ(s.ipMin, 10.0f);
    EXPECT_EQ(s.ipMax, 1000.0f);
    EXPECT_EQ(s.rightAxis.rangeMin, 10.0f);
    EXPECT_EQ(s.rightAxis.rangeMax, 1000.0f);
    EXPECT_TRUE(choices.enabled[Quantity::Res]);
    for (Quantity q : {Quantity::M1, Quantity::R, Quantity::TD, Quantity::TH, Quantity::ZP})
        EXPECT_FALSE(choices.enabled[q]);
    EXPECT_TRUE(choices.ticked[Quantity::M1]); // disabling keeps the tick
}

TEST_F(OpenDataTest, ColumnFileGetsALinearRightAxisWithTheRoundedIpRange) {
    // As a tagged file leaves the window: the IP boxes disabled.
    choices.enabled = {true, false, false, false, false, false};
    // IP values 0.4 … 37 over M1, R (column ×0.1), TH (×0.001), TD and ZP.
    const std::string rows =
        sheettest::columnRow("101", "1.5", "78.6", "0.4", "122", "4770", "35.0", "4.23") +
        sheettest::columnRow("101", "2.5", "75.3", "1.26", "130", "5440", "37", "4.43") +
        sheettest::columnRow("102", "4", "67.2", "1.47", "152", "6830", "35.4", "5.21");
    ASSERT_EQ(openColumn(rows), OpenOutcome::Loaded);
    EXPECT_TRUE(s.leftAxis.logarithmic);
    EXPECT_FALSE(s.rightAxis.logarithmic);
    EXPECT_EQ(s.ipMin, 0.0f);
    EXPECT_EQ(s.ipMax, 40.0f);
    EXPECT_EQ(s.rightAxis.rangeMin, 0.0f);
    EXPECT_EQ(s.rightAxis.rangeMax, 40.0f);
    for (bool enabled : choices.enabled)
        EXPECT_TRUE(enabled);
    EXPECT_EQ(choices.stationItems, (std::vector<std::string>{"101", "102"}));
    EXPECT_EQ(s.m1Curve.yValues.size(), 2u);
}

TEST_F(OpenDataTest, IpRangeOfMissingValuesOnlyIsZeroToOne) {
    const std::string rows =
        sheettest::columnRow("1", "2", "50", "-9999", "-9999", "-9999", "-9999", "-9999") +
        sheettest::columnRow("1", "20", "500", "-9999", "-9999", "-9999", "-9999", "-9999");
    ASSERT_EQ(openColumn(rows), OpenOutcome::Loaded);
    EXPECT_EQ(s.ipMin, 0.0f);
    EXPECT_EQ(s.ipMax, 1.0f);
    EXPECT_TRUE(s.m1Curve.xValues.empty());
}

TEST(IpLimitTest, RoundingAtTheStepBoundaries) {
    EXPECT_EQ(roundedDown(0.4f), 0.0f);
    EXPECT_EQ(roundedDown(-9999.0f), 0.0f);
    EXPECT_EQ(roundedDown(1.0f), 1.0f);
    EXPECT_EQ(roundedDown(9.99f), 9.0f);
    EXPECT_EQ(roundedDown(10.0f), 10.0f);
    EXPECT_EQ(roundedDown(37.0f), 30.0f);
    EXPECT_EQ(roundedDown(99.9f), 90.0f);
    EXPECT_EQ(roundedDown(100.0f), 100.0f);
    EXPECT_EQ(roundedDown(950.0f), 900.0f);
    EXPECT_EQ(roundedDown(2500.0f), 2000.0f);

    EXPECT_EQ(roundedUp(-9999.0f), 1.0f);
    EXPECT_EQ(roundedUp(0.99f), 1.0f);
    EXPECT_EQ(roundedUp(1.0f), 2.0f);
    EXPECT_EQ(roundedUp(5.0f), 6.0f);
    EXPECT_EQ(roundedUp(9.5f), 10.0f);
    EXPECT_EQ(roundedUp(10.0f), 20.0f);
    EXPECT_EQ(roundedUp(30.0f), 40.0f);
    EXPECT_EQ(roundedUp(37.0f), 40.0f);
    EXPECT_EQ(roundedUp(100.0f), 200.0f);
    EXPECT_EQ(roundedUp(999.0f), 1000.0f);
    EXPECT_EQ(roundedUp(1000.0f), 2000.0f);
    EXPECT_EQ(roundedUp(12345.0f), 13000.0f);
}

TEST_F(OpenDataTest, FileWithoutStationsKeepsTheSheetAndTheSelector) {
    ASSERT_EQ(openTagged({{"5", {{"1.5", "30"}, {"300", "600"}}}}), OpenOutcome::Loaded);
    choices.stationIndex = 0;
    const std::vector<float> resBefore = s.resCurve.xValues;

    // A column file whose second line lacks the sounding keyword.
    const std::string path = folder.write("plain.dat", "标题\n剖面数据\n点号\n1 2 0.5 50 1 1 1 1 1 1 0 0\n");
    EXPECT_EQ(openDataFile(s, choices, path, DataFileKind::Column, ui), OpenOutcome::NoStations);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "加载的数据文件没有电测深数据。");
    EXPECT_EQ(ui.messages[0].caption, "警告");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Question);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);

    EXPECT_TRUE(s.stations.empty());
    EXPECT_EQ(s.abMin, 10000.0f);
    EXPECT_EQ(s.abMax, -10000.0f);
    EXPECT_EQ(s.rhoMin, 10000.0f);
    EXPECT_EQ(s.ipMax, -10000.0f);
    EXPECT_EQ(s.surveyMean, 0.0f);
    // Lengths, axes, curves and the selector as before.
    EXPECT_EQ(s.xLengthCm, 18.75f);
    EXPECT_EQ(s.leftAxis.rangeMax, 1000.0f);
    EXPECT_EQ(s.resCurve.xValues, resBefore);
    EXPECT_EQ(choices.stationItems, (std::vector<std::string>{"5"}));
}

TEST_F(OpenDataTest, SecondOpenResetsTheSelectionToTheFirstStation) {
    ASSERT_EQ(openTagged({{"1", {{"2", "30"}}}, {"2", {{"3", "40"}}}}), OpenOutcome::Loaded);
    choices.stationIndex = 1;
    choices.ticked[Quantity::Res] = false;
    ASSERT_EQ(openTagged({{"7", {{"2", "30"}}}, {"8", {{"3", "40"}}}, {"9", {{"4", "50"}}}}),
              OpenOutcome::Loaded);
    EXPECT_EQ(choices.stationItems, (std::vector<std::string>{"7", "8", "9"}));
    EXPECT_EQ(choices.stationIndex, 0);
    EXPECT_TRUE(choices.ticked[Quantity::Res]);
    EXPECT_EQ(s.stations.size(), 3u);
}

TEST_F(OpenDataTest, NonPositiveValuesStayOutOfTheDecadeScan) {
    ASSERT_EQ(openTagged({{"1", {{"0", "-5"}, {"2", "20"}, {"50", "300"}, {"-3", "0"}}}}),
              OpenOutcome::Loaded);
    EXPECT_EQ(s.abMin, 1.0f);
    EXPECT_EQ(s.abMax, 100.0f);
    EXPECT_EQ(s.rhoMin, 10.0f);
    EXPECT_EQ(s.rhoMax, 1000.0f);
    EXPECT_EQ(s.xLengthCm, 12.5f);
}

TEST_F(OpenDataTest, StationsWithoutPositiveResistivityCountAsNoStations) {
    ASSERT_EQ(openTagged({{"1", {{"2", "30"}, {"20", "300"}}}}), OpenOutcome::Loaded);
    EXPECT_EQ(openTagged({{"4", {{"2", "0"}, {"20", "-1"}}}}), OpenOutcome::NoStations);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "加载的数据文件没有电测深数据。");
    EXPECT_EQ(s.stations.size(), 1u); // what was read stays
    EXPECT_EQ(s.rhoMin, 10000.0f);
    EXPECT_EQ(s.xLengthCm, 12.5f);
    EXPECT_EQ(s.resCurve.yValues, (std::vector<float>{30, 300}));
    // The selector lists the previous file: it selects nothing, so apply composes nothing.
    EXPECT_EQ(choices.stationItems, (std::vector<std::string>{"1"}));
    EXPECT_EQ(choices.stationIndex, -1);

    EXPECT_EQ(openTagged({{"4", {{"0", "10"}, {"-2", "20"}}}}), OpenOutcome::NoStations);
}

TEST_F(OpenDataTest, ConversionErrorEndsTheOpenBeforeAnyRangeChanges) {
    ASSERT_EQ(openTagged({{"1", {{"2", "30"}, {"20", "300"}}}}), OpenOutcome::Loaded);
    const std::string path = folder.write("bad.ves", "Zu电法数据\n测深VES\nx2\n");
    EXPECT_THROW(openDataFile(s, choices, path, DataFileKind::Tagged, ui), ConversionError);
    EXPECT_EQ(s.abMin, 1.0f);
    EXPECT_EQ(s.rhoMax, 1000.0f);
    EXPECT_EQ(s.xLengthCm, 12.5f);
    EXPECT_EQ(choices.stationItems, (std::vector<std::string>{"1"}));
    EXPECT_EQ(s.resCurve.yValues, (std::vector<float>{30, 300}));
}

TEST_F(OpenDataTest, ColumnFileThatCannotBeOpenedGivesBothMessages) {
    const std::string path = (folder.path / "missing.dat").string();
    EXPECT_EQ(openDataFile(s, choices, path, DataFileKind::Column, ui), OpenOutcome::NoStations);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "无法打开数据文件:\n" + path);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(ui.messages[1].text, "加载的数据文件没有电测深数据。");
    EXPECT_FALSE(choices.visible);
    EXPECT_TRUE(choices.stationItems.empty());
}

TEST_F(OpenDataTest, SampleFilesOpenAndPaintWithoutMessages) {
    const std::string dir = VESPLOT_SAMPLE_DATA_DIR;
    ASSERT_EQ(openDataFile(s, choices, dir + "/sample.ves", DataFileKind::Tagged, ui), OpenOutcome::Loaded);
    EXPECT_EQ(s.abMin, 1.0f);
    EXPECT_EQ(s.abMax, 1000.0f);
    ASSERT_EQ(openDataFile(s, choices, dir + "/sample-ip.dat", DataFileKind::Column, ui),
              OpenOutcome::Loaded);
    EXPECT_FALSE(s.rightAxis.logarithmic);
    choices.ticked.fill(true);
    choices.symbols = {4, 3, 6, 8, 10, 12};
    ASSERT_TRUE(composeSheet(s, choices));
    prepareSheetBitmap(s, 96, 96);
    RecordingCanvas canvas;
    paintSheet(s, choices, canvas, 793, 1096, ui);
    EXPECT_EQ(canvas.callsOf("textOut").back().text, "ZP");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(OpenDataTest, ValuesThatWidenToInfinityAreRefusedAndChangeNothing) {
    ASSERT_EQ(openTagged({{"5", {{"1.5", "30"}, {"300", "600"}}}}), OpenOutcome::Loaded);
    const std::vector<std::pair<std::string, Pairs>> huge[] = {
        {{"6", {{"1.5", "3.3e38"}, {"300", "600"}}}}, // resistivity: 10^39 is no float
        {{"6", {{"3.3e38", "30"}, {"300", "600"}}}},  // AB/2
    };
    for (const auto& blocks : huge) {
        ui.messages.clear();
        EXPECT_EQ(openTagged(blocks, "huge.ves"), OpenOutcome::RangeTooLarge);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, rangeTooLargeMessage);
        ASSERT_EQ(s.stations.size(), 1u);
        EXPECT_EQ(s.stations[0].stationNumber[0], 5);
        EXPECT_EQ(s.rhoMax, 1000.0f);
        EXPECT_EQ(s.yLengthCm, 12.5f);
        EXPECT_EQ(choices.stationItems, (std::vector<std::string>{"5"}));
        EXPECT_TRUE(sheetDrawable(s));
    }
}

namespace {

// Cuts the file being read down to `keep` bytes at the reader's first progress report.
class CuttingUi : public ScriptedUi {
public:
    CuttingUi(std::filesystem::path file, std::uintmax_t keep) : file(std::move(file)), keep(keep) {}
    bool progress(std::uint64_t done, std::uint64_t total) override {
        if (++reports == 2)
            std::filesystem::resize_file(file, keep);
        return ScriptedUi::progress(done, total);
    }
    std::filesystem::path file;
    std::uintmax_t keep;
    int reports = 0;
};

} // namespace

TEST_F(OpenDataTest, AFileCutShortWhileItIsReadIsReported) {
    std::string rows;
    for (int k = 0; k < 40000; ++k)
        rows +=
            std::to_string(1 + k / 30) + " " + std::to_string(1 + k % 30) + ".5 0.5 100 1 1 1 1 1 1 0 0\n";
    const std::string path = folder.write("long.dat", sheettest::columnFile(rows));
    CuttingUi cutting(path, 200000);
    EXPECT_EQ(openDataFile(s, choices, path, DataFileKind::Column, cutting), OpenOutcome::Loaded);
    ASSERT_EQ(cutting.messages.size(), 1u);
    EXPECT_EQ(cutting.messages[0].text, cutShortMessage + path);

    // A file read whole says nothing.
    ScriptedUi whole;
    EXPECT_EQ(openDataFile(s, choices, folder.write("whole.dat", sheettest::columnFile(rows)),
                           DataFileKind::Column, whole),
              OpenOutcome::Loaded);
    EXPECT_TRUE(whole.messages.empty());
}
