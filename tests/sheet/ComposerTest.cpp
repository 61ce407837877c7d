#include "sheet/Composer.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "ScriptedUi.h"
#include "SheetFiles.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

class ComposerTest : public ::testing::Test {
protected:
    ComposerTest() {
        // As an open leaves the sheet for AB/2 1..1000 and resistivities 10..1000 on 5 × 5 cm.
        s.xLength = 500.0f;
        s.yLength = 500.0f;
        for (Axis* a : {&s.topAxis, &s.leftAxis, &s.bottomAxis})
            a->logarithmic = true;
        s.topAxis.rangeMin = s.bottomAxis.rangeMin = 1.0f;
        s.topAxis.rangeMax = s.bottomAxis.rangeMax = 1000.0f;
        s.leftAxis.rangeMin = 10.0f;
        s.leftAxis.rangeMax = 1000.0f;
        s.rightAxis.rangeMin = 0.0f;
        s.rightAxis.rangeMax = 10000.0f;
        choices.stationIndex = 0;
    }

    ScriptedUi ui;
    SheetState s{ui};
    PlotChoices choices;
};

} // namespace

TEST_F(ComposerTest, TitleCentredByGbkBytesAboveTheDefaultFrame) {
    s.stations.push_back(sheettest::station(1, {2, 20}, {50, 500}));
    ASSERT_TRUE(composeSheet(s, choices));
    EXPECT_EQ(s.titleText.text, "电测深观测数据");
    EXPECT_EQ(s.titleText.y1, 850.0f); // 500 + 3.5 cm
    EXPECT_EQ(s.titleText.x1, -86.0f); // 250 − 14 bytes × 48 / 2
    EXPECT_EQ(s.titleText.font.height, 60);
    EXPECT_EQ(s.titleText.font.width, 48);
    EXPECT_EQ(s.titleText.font.weight, 100);
    EXPECT_EQ(s.titleText.font.faceName, "Times New Roman");

    // The title gap moves the title; the figure's offset on the page stays.
    s.titleGapCm = 2.0f;
    composeSheet(s, choices);
    EXPECT_EQ(s.titleText.y1, 700.0f);
    EXPECT_EQ(s.offsetYCm, 3.5f);
}

TEST_F(ComposerTest, AxesFrameTheFigureWithTheirFixedStyles) {
    s.xLength = 1875.0f;
    s.yLength = 1250.0f;
    s.stations.push_back(sheettest::station(1, {2, 20}, {50, 500}));
    s.leftAxis.lineWidth = 3;
    s.rightAxis.showLabels = false;
    s.bottomAxis.showGrid = true;
    s.leftAxis.showTitle = true;
    s.leftAxis.labelFormat = "0.00";
    ASSERT_TRUE(composeSheet(s, choices));

    const Axis& top = s.topAxis;
    const Axis& left = s.leftAxis;
    const Axis& bottom = s.bottomAxis;
    const Axis& right = s.rightAxis;
    EXPECT_EQ((std::vector<float>{top.x1, top.y1, top.x2, top.y2}),
              (std::vector<float>{0, 1250, 1875, 1250}));
    EXPECT_EQ((std::vector<float>{left.x1, left.y1, left.x2, left.y2}), (std::vector<float>{0, 0, 0, 1250}));
    EXPECT_EQ((std::vector<float>{bottom.x1, bottom.y1, bottom.x2, bottom.y2}),
              (std::vector<float>{0, 0, 1875, 0}));
    EXPECT_EQ((std::vector<float>{right.x1, right.y1, right.x2, right.y2}),
              (std::vector<float>{1875, 0, 1875, 1250}));

    EXPECT_EQ(top.title, "AB/2(m)");
    EXPECT_EQ(bottom.title, "AB/2(/m)");
    EXPECT_EQ(right.title, "视电阻率");
    EXPECT_EQ(left.title, "Res");
    for (const Axis* a : {&top, &left, &bottom, &right}) {
        EXPECT_FALSE(a->showTitle);
        EXPECT_TRUE(a->showTicks);
        EXPECT_EQ(a->majorTickLength, 15);
        EXPECT_EQ(a->limitMin, a->rangeMin);
        EXPECT_EQ(a->limitMax, a->rangeMax);
        EXPECT_EQ(a->labelFont.height, 36);
        EXPECT_EQ(a->labelFont.width, 18);
        EXPECT_EQ(a->labelFont.escapement, 0);
    }
    EXPECT_EQ((std::vector<TickDirection>{top.tickDirection, right.tickDirection, left.tickDirection,
                                          bottom.tickDirection}),
              (std::vector<TickDirection>{TickDirection::Up, TickDirection::Right, TickDirection::Left,
                                          TickDirection::Down}));
    EXPECT_EQ((std::vector<int>{top.majorIntervals, left.majorIntervals, bottom.majorIntervals,
                                right.majorIntervals}),
              (std::vector<int>{10, 5, 4, 5}));
    EXPECT_EQ(
        (std::vector<int>{top.titleDistance, left.titleDistance, bottom.titleDistance, right.titleDistance}),
        (std::vector<int>{70, 200, 36, 40}));
    EXPECT_EQ(
        (std::vector<int>{top.labelDistance, left.labelDistance, bottom.labelDistance, right.labelDistance}),
        (std::vector<int>{28, 10, 12, 20}));
    EXPECT_EQ(top.minorTickLength, 7);
    EXPECT_EQ(bottom.minorTickLength, 7);
    EXPECT_TRUE(top.showGrid);
    EXPECT_TRUE(left.showGrid);
    EXPECT_FALSE(right.showGrid);
    EXPECT_EQ(top.gridLength, 1250.0f);
    EXPECT_EQ(left.gridLength, 1875.0f);
    EXPECT_EQ(top.titleFont.height, 40);
    EXPECT_EQ(top.titleFont.width, 20);
    EXPECT_EQ(left.titleFont.escapement, -900);
    EXPECT_EQ(right.titleFont.escapement, 900);
    EXPECT_EQ(left.titleFont.faceName, "Arial");

    // Fields outside the table keep what the user set.
    EXPECT_EQ(left.lineWidth, 3);
    EXPECT_EQ(left.labelFormat, "0.00");
    EXPECT_FALSE(right.showLabels);
    EXPECT_TRUE(bottom.showGrid);

    // With the 1875 × 1250 frame the title starts at 937.5 − 336.
    EXPECT_EQ(s.titleText.x1, 601.5f);
    EXPECT_EQ(s.titleText.y1, 1600.0f);
}

TEST_F(ComposerTest, TaggedStationFillsOnlyTheResistivityCurve) {
    s.stations.push_back(sheettest::station(1, {1.5f, 3, 5}, {100, 120, 150}));
    choices.symbols = {4, 5, 6, 7, 8, 9};
    ASSERT_TRUE(composeSheet(s, choices));
    const Curve& res = s.resCurve;
    EXPECT_EQ(res.xValues, (std::vector<float>{1.5f, 3, 5}));
    EXPECT_EQ(res.yValues, (std::vector<float>{100, 120, 150}));
    EXPECT_EQ(res.xPoints.size(), 3u);
    EXPECT_EQ(res.x1, 0.0f);
    EXPECT_EQ(res.y1, 0.0f);
    EXPECT_EQ(res.xLength, 500.0f);
    EXPECT_EQ(res.yLength, 500.0f);
    EXPECT_EQ(res.xMin, 1.0f);
    EXPECT_EQ(res.xMax, 1000.0f);
    EXPECT_EQ(res.yMin, 10.0f);
    EXPECT_EQ(res.yMax, 1000.0f);
    EXPECT_TRUE(res.xLog);
    EXPECT_TRUE(res.yLog);
    EXPECT_TRUE(res.showSymbols);
    EXPECT_EQ(res.symbolKind, SymbolKind::FilledCircle);
    // 100 lies one of two decades up the 500-unit axis.
    EXPECT_FLOAT_EQ(res.yPoints[0], 250.0f);
    for (const Curve* c : {&s.m1Curve, &s.rCurve, &s.thCurve, &s.tdCurve, &s.zpCurve}) {
        EXPECT_TRUE(c->xValues.empty());
        EXPECT_TRUE(c->xPoints.empty());
        EXPECT_FALSE(c->showSymbols);
        EXPECT_EQ(c->symbolKind, SymbolKind::None);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ComposerTest, ValueRulesSkipOnlyExactMarkersAndNaN) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Station st;
    st.appendPoint(1, 1, 100, 9999.0f, -9999.0f, 1, 1, 1);
    st.appendPoint(1, 2, 100, 9998.99f, -9998.99f, 2, 2, 2);
    st.appendPoint(1, 3, 100, -9999.0f, nan, 3, 3, 3);
    st.appendPoint(1, 4, 100, nan, 9999.0f, 4, 4, 4);
    st.appendPoint(1, 5, 100, 5.0f, 5.0f, 5, 5, 5);
    s.stations.push_back(st);
    ASSERT_TRUE(composeSheet(s, choices));
    EXPECT_EQ(s.m1Curve.xValues, (std::vector<float>{2, 5}));
    EXPECT_EQ(s.m1Curve.yValues, (std::vector<float>{9998.99f, 5}));
    EXPECT_EQ(s.rCurve.xValues, (std::vector<float>{2, 5}));
    EXPECT_EQ(s.rCurve.yValues, (std::vector<float>{-9998.99f, 5}));
    EXPECT_EQ(s.zpCurve.xValues.size(), 5u);
    // The IP curves run on the right axis.
    EXPECT_EQ(s.m1Curve.yMin, 0.0f);
    EXPECT_EQ(s.m1Curve.yMax, 10000.0f);
    EXPECT_FALSE(s.m1Curve.yLog);
}

TEST_F(ComposerTest, CurvesTakeTheirOwnVectorsAndSymbolsInFileOrder) {
    Station st;
    // AB/2 not increasing: the points keep this order.
    st.appendPoint(7, 100, 300, 1, 2, 3, 4, 5); // m1, r, th, td, zp
    st.appendPoint(7, 2, 20, 1, 2, 3, 4, 5);
    st.appendPoint(7, 10, 50, 1, 2, 3, 4, 5);
    s.stations.push_back(st);
    choices.symbols = {{1, 2, 3, 4, 5, 6}}; // RES, M1, R, TD, TH, ZP
    ASSERT_TRUE(composeSheet(s, choices));
    EXPECT_EQ(s.resCurve.xValues, (std::vector<float>{100, 2, 10}));
    EXPECT_EQ(s.resCurve.yValues, (std::vector<float>{300, 20, 50}));
    ASSERT_EQ(s.resCurve.xPoints.size(), 3u);
    EXPECT_GT(s.resCurve.xPoints[0], s.resCurve.xPoints[2]);
    EXPECT_GT(s.resCurve.xPoints[2], s.resCurve.xPoints[1]);
    EXPECT_EQ(s.m1Curve.yValues[0], 1.0f);
    EXPECT_EQ(s.rCurve.yValues[0], 2.0f);
    EXPECT_EQ(s.thCurve.yValues[0], 3.0f);
    EXPECT_EQ(s.tdCurve.yValues[0], 4.0f);
    EXPECT_EQ(s.zpCurve.yValues[0], 5.0f);
    EXPECT_EQ(s.resCurve.symbolKind, SymbolKind::Plus);
    EXPECT_EQ(s.m1Curve.symbolKind, SymbolKind::Cross);
    EXPECT_EQ(s.rCurve.symbolKind, SymbolKind::OpenCircle);
    EXPECT_EQ(s.tdCurve.symbolKind, SymbolKind::FilledCircle);
    EXPECT_EQ(s.thCurve.symbolKind, SymbolKind::OpenSquare);
    EXPECT_EQ(s.zpCurve.symbolKind, SymbolKind::FilledSquare);
}

TEST_F(ComposerTest, RecompositionReplacesDataAndRestoresSymbolsButKeepsPens) {
    s.stations.push_back(sheettest::station(1, {2, 20}, {50, 500}));
    Station ip;
    ip.appendPoint(2, 3, 60, 1, 1, 1, 1, 1);
    s.stations.push_back(ip);
    choices.stationIndex = 1;
    ASSERT_TRUE(composeSheet(s, choices));
    EXPECT_EQ(s.m1Curve.xValues.size(), 1u);

    // The legend switch turned symbols off and the pen was edited; then station 0 is applied.
    for (Curve* c : {&s.resCurve, &s.m1Curve})
        c->showSymbols = false;
    s.resCurve.color = colors::red;
    s.resCurve.penWidth = 4;
    s.m1Curve.symbolKind = SymbolKind::OpenTriangleDown;
    choices.stationIndex = 0;
    ASSERT_TRUE(composeSheet(s, choices));
    EXPECT_EQ(s.resCurve.xValues, (std::vector<float>{2, 20}));
    EXPECT_TRUE(s.resCurve.showSymbols);
    EXPECT_EQ(s.resCurve.color, colors::red);
    EXPECT_EQ(s.resCurve.penWidth, 4);
    // The M1 curve has no measurement here: emptied, its other fields kept.
    EXPECT_TRUE(s.m1Curve.xValues.empty());
    EXPECT_TRUE(s.m1Curve.xPoints.empty());
    EXPECT_FALSE(s.m1Curve.showSymbols);
    EXPECT_EQ(s.m1Curve.symbolKind, SymbolKind::OpenTriangleDown);
}

TEST_F(ComposerTest, EveryMeasurementOfALongStationIsTaken) {
    std::vector<float> ab(1500);
    std::vector<float> rho(1500);
    for (std::size_t j = 0; j < ab.size(); ++j) {
        ab[j] = 1.0f + static_cast<float>(j) * 0.5f;
        rho[j] = 100.0f;
    }
    s.stations.push_back(sheettest::station(1, ab, rho));
    ASSERT_TRUE(composeSheet(s, choices));
    EXPECT_EQ(s.resCurve.xValues.size(), 1500u);
    EXPECT_EQ(s.resCurve.xPoints.size(), 1500u);
    EXPECT_EQ(s.resCurve.xValues.back(), 750.5f);
}

TEST_F(ComposerTest, InvalidSelectionComposesNothing) {
    s.titleText.text = "before";
    EXPECT_FALSE(composeSheet(s, choices)); // empty station list
    s.stations.push_back(sheettest::station(1, {2, 20}, {50, 500}));
    choices.stationIndex = -1;
    EXPECT_FALSE(composeSheet(s, choices));
    choices.stationIndex = 1;
    EXPECT_FALSE(composeSheet(s, choices));
    EXPECT_EQ(s.titleText.text, "before");
    EXPECT_TRUE(s.resCurve.xValues.empty());
}

TEST_F(ComposerTest, BadLogarithmicRangeWarnsOnceAndBecomesTwoDecades) {
    s.stations.push_back(sheettest::station(1, {2, 20}, {50, 500}));
    s.leftAxis.rangeMin = 0.0f;
    ASSERT_TRUE(composeSheet(s, choices));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "对数轴范围错误。\n将采用缺省值作为轴范围。");
    EXPECT_EQ(ui.messages[0].caption, "错误");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(s.leftAxis.rangeMin, 1.0f);
    EXPECT_EQ(s.leftAxis.rangeMax, 100.0f);
    // The curve took the range as it was: it cannot be drawn.
    EXPECT_TRUE(s.resCurve.invalid);
    // The linear right axis may start at 0.
    EXPECT_EQ(s.rightAxis.rangeMin, 0.0f);

    ASSERT_TRUE(composeSheet(s, choices));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ComposerTest, ValuesALogarithmicAxisCannotShowAreReportedInOrder) {
    s.stations.push_back(sheettest::station(1, {-2, 20, 200}, {50, 0, 500}));
    ASSERT_TRUE(composeSheet(s, choices));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Value is not correct!");
    EXPECT_EQ(ui.messages[1].text, "y-轴的第1个数据小于0");
    EXPECT_EQ(ui.messages[1].caption, applicationTitle);
    EXPECT_EQ(s.resCurve.xPoints.size(), 1u);
}
