#include "plot/Curve.h"

#include "RecordingCanvas.h"
#include "ScriptedUi.h"
#include "core/Pen.h"

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class CurveTest : public ::testing::Test {
protected:
    ScriptedUi ui;
    Curve curve;
    RecordingCanvas canvas;
    std::vector<std::string> warnings; // of every computePoints so far

    void compute() {
        const std::vector<std::string> more = curve.computePoints();
        warnings.insert(warnings.end(), more.begin(), more.end());
    }

    void scale(float xlo, float xhi, float xlen, bool xlog, float ylo, float yhi, float ylen, bool ylog) {
        curve.xMin = xlo;
        curve.xMax = xhi;
        curve.xLength = xlen;
        curve.xLog = xlog;
        curve.yMin = ylo;
        curve.yMax = yhi;
        curve.yLength = ylen;
        curve.yLog = ylog;
    }
};

TEST_F(CurveTest, Defaults) {
    EXPECT_FALSE(curve.xLog);
    EXPECT_FALSE(curve.showSymbols);
    EXPECT_EQ(curve.symbolKind, SymbolKind::None);
    EXPECT_FLOAT_EQ(curve.symbolWidth, 5.0f);
    EXPECT_FLOAT_EQ(curve.symbolHeight, 5.0f);
}

TEST_F(CurveTest, LinearAndLogarithmicScales) {
    scale(0, 10, 500, false, 1, 1000, 750, true);
    curve.xValues = {5};
    curve.yValues = {100};
    compute();
    EXPECT_FALSE(curve.invalid);
    ASSERT_EQ(curve.xPoints.size(), 1u);
    EXPECT_FLOAT_EQ(curve.xPoints[0], 250.0f);
    EXPECT_FLOAT_EQ(curve.yPoints[0], 500.0f);

    scale(1, 100, 1250, true, 0, 1, 100, false);
    curve.xValues = {1, 10, 100};
    curve.yValues = {0, 0, 0};
    compute();
    ASSERT_EQ(curve.xPoints.size(), 3u);
    EXPECT_FLOAT_EQ(curve.xPoints[0], 0.0f);
    EXPECT_FLOAT_EQ(curve.xPoints[1], 625.0f);
    EXPECT_FLOAT_EQ(curve.xPoints[2], 1250.0f);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(CurveTest, UnmappableRangesMarkTheCurveInvalidSilently) {
    curve.xValues = {1, 2};
    curve.yValues = {1, 2};
    scale(3, 3, 500, false, 0, 10, 500, false);
    compute();
    EXPECT_TRUE(curve.invalid);
    EXPECT_TRUE(curve.xPoints.empty());

    scale(0, 10, 500, true, 1, 10, 500, false);
    compute();
    EXPECT_TRUE(curve.invalid);
    scale(1, 10, 500, false, -1, 10, 500, true);
    compute();
    EXPECT_TRUE(curve.invalid);
    EXPECT_TRUE(warnings.empty());

    curve.draw(canvas);
    EXPECT_TRUE(canvas.calls.empty());
}

TEST_F(CurveTest, BadLogValueIsReportedAndItsPairLeftOut) {
    scale(0, 10, 500, false, 1, 1000, 750, true);
    curve.xValues = {1, 2, 3, 4, 5};
    curve.yValues = {1, 10, 100, 0, 1000};
    compute();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "y-轴的第3个数据小于0");
    EXPECT_FALSE(curve.invalid);
    ASSERT_EQ(curve.xPoints.size(), 4u);
    ASSERT_EQ(curve.yPoints.size(), 4u);
    EXPECT_FLOAT_EQ(curve.xPoints[3], 250.0f); // the fifth pair follows the third
    EXPECT_FLOAT_EQ(curve.yPoints[3], 750.0f);
}

TEST_F(CurveTest, BadLogXValuesEachRaiseAMessage) {
    scale(1, 100, 1000, true, 0, 10, 100, false);
    curve.xValues = {-1, 10, 0};
    curve.yValues = {1, 2, 3};
    compute();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "Value is not correct!");
    EXPECT_EQ(warnings[1], "Value is not correct!");
    ASSERT_EQ(curve.xPoints.size(), 1u);
    EXPECT_FLOAT_EQ(curve.xPoints[0], 500.0f);
    EXPECT_FLOAT_EQ(curve.yPoints[0], 20.0f);
}

TEST_F(CurveTest, NonFiniteValuesAreLeftOut) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    scale(0, 10, 100, false, 0, 10, 100, false);
    curve.xValues = {1, nan, 3, 4};
    curve.yValues = {1, 2, inf, 4};
    compute();
    EXPECT_EQ(curve.xPoints.size(), 2u);
    EXPECT_EQ(curve.yPoints.size(), 2u);

    scale(1, 10, 100, true, 1, 10, 100, true);
    curve.xValues = {nan, 2, inf};
    curve.yValues = {1, nan, 3};
    compute();
    EXPECT_TRUE(curve.xPoints.empty());
    EXPECT_EQ(warnings.size(), 2u); // one per value that is not a number

    scale(nan, 10, 100, false, 0, 10, 100, false);
    compute();
    EXPECT_TRUE(curve.invalid);
}

TEST_F(CurveTest, DrawWalksComputedPointsWithTheCurvePen) {
    canvas.setPen(Pen{PenStyle::Solid, 1, colors::black, PenMode::Copy});
    scale(0, 10, 1000, false, 0, 10, 1000, false);
    curve.xValues = {0, 1.5f, 3};
    curve.yValues = {0, 2.25f, -1};
    compute();
    curve.x1 = 10.5f;
    curve.y1 = 20.5f;
    curve.penStyle = PenStyle::Dash;
    curve.penWidth = 4;
    curve.color = colors::red;
    curve.draw(canvas);

    const auto segs = canvas.segments();
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_EQ(segs[0].first, (Point{10, 20}));
    EXPECT_EQ(segs[0].second, (Point{160, 245}));
    EXPECT_EQ(segs[1].second, (Point{310, -79})); // truncation toward zero
    EXPECT_EQ(canvas.callsOf("lineTo")[0].pen, (Pen{PenStyle::Dash, 4, colors::red, PenMode::Copy}));
    EXPECT_EQ(canvas.pen(), (Pen{PenStyle::Solid, 1, colors::black, PenMode::Copy}));
}

TEST_F(CurveTest, SymbolsFollowTheFlagAndUseTheCanvasPen) {
    scale(0, 10, 1000, false, 0, 10, 1000, false);
    curve.xValues = {1, 2};
    curve.yValues = {1, 2};
    compute();
    curve.symbolKind = SymbolKind::Plus;
    curve.symbolWidth = curve.symbolHeight = 15;
    curve.draw(canvas);
    EXPECT_EQ(canvas.segments().size(), 1u); // the polyline only

    RecordingCanvas withSymbols;
    withSymbols.setBrushColor(0x00ABCDEF);
    curve.showSymbols = true;
    curve.color = colors::red;
    curve.draw(withSymbols);
    const auto segs = withSymbols.segments();
    ASSERT_EQ(segs.size(), 5u);
    EXPECT_EQ(segs[1].first, (Point{93, 100})); // arms span x - 7 .. x + 7
    EXPECT_EQ(segs[1].second, (Point{107, 100}));
    EXPECT_EQ(withSymbols.callsOf("lineTo")[1].pen.color, colors::black);

    {
        RecordingCanvas none;
        curve.symbolKind = SymbolKind::None;
        curve.draw(none);
        EXPECT_EQ(none.segments().size(), 1u);
        EXPECT_EQ(none.calls.size(), 2u);
    }

    RecordingCanvas filled;
    filled.setBrushColor(0x00ABCDEF);
    curve.symbolKind = SymbolKind::FilledCircle;
    curve.draw(filled);
    const auto ellipses = filled.callsOf("ellipse");
    ASSERT_EQ(ellipses.size(), 2u);
    EXPECT_EQ(ellipses[0].brushColor, colors::black);
    EXPECT_EQ(filled.brushColor(), 0x00ABCDEFu);
}

TEST_F(CurveTest, HitTestKeepsToSegmentExtents) {
    EXPECT_FALSE(curve.hitTest(0, 0)); // no points
    curve.xPoints = {0, 100, 100};
    curve.yPoints = {0, 100, 300};
    EXPECT_TRUE(curve.hitTest(50, 52));
    EXPECT_FALSE(curve.hitTest(-3, -1)); // on the line's extension before the start
    EXPECT_TRUE(curve.hitTest(104, 200));
    EXPECT_FALSE(curve.hitTest(105, 200));
    EXPECT_FALSE(curve.hitTest(100, 301));

    curve.xPoints = {0, 100};
    curve.yPoints = {0, 100};
    EXPECT_FALSE(curve.hitTest(300, 302)); // unlike the plain line item
}

TEST_F(CurveTest, EditOnlySaysThereIsNoDialog) {
    curve.edit(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Function not implemeted in TLine");
}
