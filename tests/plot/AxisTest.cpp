#include "plot/Axis.h"

#include "RecordingCanvas.h"
#include "ScriptedUi.h"
#include "core/Pen.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {
using Segment = std::pair<Point, Point>;

bool hasSegment(const RecordingCanvas& canvas, Point from, Point to) {
    const auto segs = canvas.segments();
    return std::find(segs.begin(), segs.end(), Segment{from, to}) != segs.end();
}

std::vector<std::string> texts(const RecordingCanvas& canvas) {
    std::vector<std::string> out;
    for (const auto& c : canvas.callsOf("textOut"))
        out.push_back(c.text);
    return out;
}

Point textAt(const RecordingCanvas& canvas, const std::string& text) {
    for (const auto& c : canvas.callsOf("textOut"))
        if (c.text == text)
            return c.points[0];
    ADD_FAILURE() << "no text " << text;
    return {};
}
} // namespace

class AxisTest : public ::testing::Test {
protected:
    ScriptedUi ui;
    Axis axis;
    RecordingCanvas canvas;

    void place(int xa, int ya, int xb, int yb) {
        axis.setStart(xa, ya);
        axis.setEnd(xb, yb);
    }
    void linear(float lo, float hi, int intervals, int minor) {
        axis.rangeMin = axis.limitMin = lo;
        axis.rangeMax = axis.limitMax = hi;
        axis.majorIntervals = intervals;
        axis.minorTicks = minor;
    }
};

TEST_F(AxisTest, Defaults) {
    EXPECT_FLOAT_EQ(axis.x2, 100.0f);
    EXPECT_FLOAT_EQ(axis.y2, 100.0f);
    EXPECT_EQ(axis.tickDirection, TickDirection::Down);
    EXPECT_EQ(axis.majorIntervals, 2);
    EXPECT_EQ(axis.title, "Axis");
    EXPECT_EQ(axis.labelFormat, "0.0");
    EXPECT_EQ(axis.titleFont.height, 16);
    EXPECT_EQ(axis.titleFont.width, 11);
    EXPECT_EQ(axis.labelFont.height, 12);
    EXPECT_EQ(axis.labelFont.width, 7);
    EXPECT_EQ(axis.labelFont.faceName, "Arial");
    EXPECT_FLOAT_EQ(axis.limitMin, 1.0f);
    EXPECT_FLOAT_EQ(axis.limitMax, 10.0f);
}

TEST_F(AxisTest, NiceStepRoundsToQuarterFifthAndTenthSteps) {
    EXPECT_FLOAT_EQ(Axis::niceStep(9.0f), 2.5f);
    EXPECT_FLOAT_EQ(Axis::niceStep(10.0f), 2.5f);
    EXPECT_FLOAT_EQ(Axis::niceStep(100.0f), 25.0f);
    EXPECT_FLOAT_EQ(Axis::niceStep(50.0f), 20.0f);
    EXPECT_FLOAT_EQ(Axis::niceStep(3.0f), 1.0f);
    EXPECT_FLOAT_EQ(Axis::niceStep(1.0f), 0.25f);
    EXPECT_FLOAT_EQ(Axis::niceStep(0.1f), 0.05f);
    EXPECT_FLOAT_EQ(Axis::niceStep(5.0e8f), 2.0e8f);
}

TEST_F(AxisTest, LinearZeroToTenOnThousandUnits) {
    place(0, 0, 1000, 0);
    linear(0, 10, 10, 0);
    axis.draw(canvas);

    EXPECT_TRUE(axis.horizontal());
    const auto segs = canvas.segments();
    ASSERT_EQ(segs.size(), 6u);
    EXPECT_EQ(segs[0], (Segment{{0, 0}, {1000, 0}})); // the axis line comes first
    for (int k = 0; k < 5; ++k)                       // direction 4: ticks down
        EXPECT_EQ(segs[k + 1], (Segment{{250 * k, 0}, {250 * k, -5}}));
    EXPECT_EQ(texts(canvas), (std::vector<std::string>{"0.0", "2.5", "5.0", "7.5", "10.0", "Axis"}));
    EXPECT_EQ(textAt(canvas, "0.0"), (Point{-10, -5}));   // 3 bytes × 7 / 2
    EXPECT_EQ(textAt(canvas, "10.0"), (Point{986, -5}));  // 4 bytes × 7 / 2
    EXPECT_EQ(textAt(canvas, "Axis"), (Point{478, -60})); // centred, 2 × title distance below
    EXPECT_EQ(canvas.callsOf("textOut")[0].font, axis.labelFont);
    EXPECT_EQ(canvas.callsOf("textOut")[5].font, axis.titleFont);
    EXPECT_EQ(canvas.font(), defaultFont());
}

TEST_F(AxisTest, ShortRangeStepsByQuarter) {
    place(0, 0, 600, 0);
    linear(2.0f, 3.5f, 10, 0);
    axis.labelFormat = "0.00";
    axis.draw(canvas);
    EXPECT_EQ(canvas.segments().size(), 8u);
    for (int k = 0; k <= 6; ++k)
        EXPECT_TRUE(hasSegment(canvas, {100 * k, 0}, {100 * k, -5})) << k;
    EXPECT_EQ(texts(canvas).at(1), "2.25");
}

TEST_F(AxisTest, FirstTickIsFirstStepMultipleAtOrAboveLimit) {
    place(0, 0, 300, 0);
    linear(0, 3, 10, 0);
    axis.limitMin = 2.5f;
    axis.draw(canvas);
    EXPECT_EQ(canvas.segments().size(), 2u);
    EXPECT_TRUE(hasSegment(canvas, {300, 0}, {300, -5}));
    EXPECT_EQ(texts(canvas).at(0), "3.0");

    RecordingCanvas negative;
    linear(-3, 0, 10, 0);
    axis.limitMin = -2.5f;
    axis.draw(negative);
    EXPECT_EQ(negative.segments().size(), 4u);
    EXPECT_TRUE(hasSegment(negative, {100, 0}, {100, -5}));
    EXPECT_EQ(texts(negative).at(0), "-2.0");
}

TEST_F(AxisTest, HorizontalAxisWithSidewaysTicksHasNoLabels) {
    place(0, 0, 1000, 0);
    linear(0, 10, 10, 0);
    for (TickDirection dir : {TickDirection::Right, TickDirection::Left}) {
        RecordingCanvas c;
        axis.tickDirection = dir;
        axis.draw(c);
        EXPECT_EQ(c.segments().size(), 6u);
        EXPECT_EQ(texts(c), std::vector<std::string>{"Axis"}) << static_cast<int>(dir);
        const int M = dir == TickDirection::Right ? 5 : -5;
        EXPECT_TRUE(hasSegment(c, {250, 0}, {250, M}));
    }
}

TEST_F(AxisTest, UpwardTicksPutLabelsAboveTheAxis) {
    place(0, 0, 1000, 0);
    linear(0, 10, 10, 0);
    axis.tickDirection = TickDirection::Up;
    axis.draw(canvas);
    EXPECT_EQ(textAt(canvas, "2.5"), (Point{240, 18})); // 1.2 × 5 + 12
    EXPECT_EQ(textAt(canvas, "Axis"), (Point{478, 60}));
}

TEST_F(AxisTest, MinorTicksFollowEveryMajorButTheLastIndex) {
    place(0, 0, 1000, 0);
    linear(0, 10, 10, 1); // minor spacing: (10 / 10) / 2 × 100 = 50 units
    axis.draw(canvas);
    for (int x : {50, 300, 550, 800, 1050}) // the last one runs past the axis end
        EXPECT_TRUE(hasSegment(canvas, {x, 0}, {x, -2})) << x;
    EXPECT_EQ(canvas.segments().size(), 11u);

    RecordingCanvas capped;
    axis.majorIntervals = 2; // at most three major ticks, minor spacing 250
    axis.draw(capped);
    EXPECT_EQ(capped.segments().size(), 1u + 3u + 2u);
    EXPECT_TRUE(hasSegment(capped, {250, 0}, {250, -5}));
    EXPECT_TRUE(hasSegment(capped, {500, 0}, {500, -5}));
    EXPECT_FALSE(hasSegment(capped, {750, 0}, {750, -5}));
}

TEST_F(AxisTest, LinearGridRunsAwayFromTheTicks) {
    place(0, 0, 1000, 0);
    linear(0, 10, 2, 0);
    axis.showGrid = true;
    axis.gridLength = 800;
    axis.draw(canvas);
    EXPECT_TRUE(hasSegment(canvas, {500, 0}, {500, 800}));
}

TEST_F(AxisTest, LinearWithoutTicksDrawsOnlyLineAndTitle) {
    place(0, 0, 1000, 0);
    linear(0, 10, 10, 1);
    axis.showTicks = false;
    axis.showGrid = true;
    axis.gridLength = 500;
    axis.draw(canvas);
    EXPECT_EQ(canvas.segments().size(), 1u);
    EXPECT_EQ(texts(canvas), std::vector<std::string>{"Axis"});
}

TEST_F(AxisTest, VerticalLinearLabelAndTitlePlacement) {
    place(0, 0, 0, 1000);
    linear(0, 10, 10, 0);
    axis.tickDirection = TickDirection::Left;
    axis.draw(canvas);
    EXPECT_FALSE(axis.horizontal());
    EXPECT_TRUE(hasSegment(canvas, {0, 250}, {-5, 250}));
    EXPECT_EQ(textAt(canvas, "0.0"), (Point{-29, 6}));    // -5 - 7 × 3.5, 0 + 12 / 2
    EXPECT_EQ(textAt(canvas, "Axis"), (Point{-30, 478})); // 500 - 4 × 11 / 2

    RecordingCanvas right;
    axis.tickDirection = TickDirection::Right;
    axis.draw(right);
    EXPECT_EQ(textAt(right, "2.5"), (Point{8, 256})); // 5 + 3.5, 250 + 6
    EXPECT_EQ(textAt(right, "Axis"), (Point{30, 522}));
}

TEST_F(AxisTest, DegenerateLinearSettingsDrawLineAndTitleOnly) {
    place(0, 0, 1000, 0);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::pair<float, float>> ranges = {{5, 5}, {0, inf}, {nan, 10}};
    for (const auto& [lo, hi] : ranges) {
        RecordingCanvas c;
        linear(lo, hi, 10, 2);
        axis.draw(c);
        EXPECT_EQ(c.segments().size(), 1u);
        EXPECT_EQ(texts(c), std::vector<std::string>{"Axis"});
    }
    for (int intervals : {0, -3}) {
        RecordingCanvas c;
        linear(0, 10, intervals, 2);
        axis.draw(c);
        EXPECT_EQ(c.segments().size(), 1u);
    }
    // A limit that is not a number places no tick rather than one at a garbage position.
    RecordingCanvas c;
    linear(0, 10, 10, 0);
    axis.limitMin = nan;
    axis.draw(c);
    EXPECT_EQ(c.segments().size(), 1u);
}

TEST_F(AxisTest, ZeroLengthAxisWithHugeTickCountsFinishes) {
    place(100, 0, 100, 0);
    linear(0, 10, std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
    axis.draw(canvas); // must return
    EXPECT_GT(canvas.segments().size(), 1u);
}

TEST_F(AxisTest, LogarithmicFourDecadesOn2500Units) {
    place(0, 0, 2500, 0);
    axis.logarithmic = true;
    axis.rangeMin = 1;
    axis.rangeMax = 10000;
    axis.draw(canvas);

    EXPECT_EQ(axis.tickCounts().majorIntervals, 5);
    EXPECT_EQ(axis.tickCounts().minorTicks, 8);
    const auto segs = canvas.segments();
    ASSERT_EQ(segs.size(), 1u + 5u + 32u);
    EXPECT_EQ(segs[0], (Segment{{0, 0}, {2500, 0}}));
    for (int k = 0; k < 5; ++k) // direction 4 ticks up on a decade axis
        EXPECT_TRUE(hasSegment(canvas, {625 * k, 0}, {625 * k, 5})) << k;
    EXPECT_TRUE(hasSegment(canvas, {188, 0}, {188, 2}));   // log10 2 of a decade
    EXPECT_TRUE(hasSegment(canvas, {2471, 0}, {2471, 2})); // 1875 + 0.95424 × 625
    EXPECT_EQ(texts(canvas), (std::vector<std::string>{"1", "10", "100", "1000", "10000", "Axis"}));
    EXPECT_EQ(textAt(canvas, "1"), (Point{-3, -10}));
    EXPECT_EQ(textAt(canvas, "10000"), (Point{2483, -10}));
    EXPECT_EQ(textAt(canvas, "Axis"), (Point{1228, 26})); // 1250 - 22, 2 × 5 + 16
}

TEST_F(AxisTest, StartDecadeCountsValuesJustUnderAPowerAsThatPower) {
    EXPECT_EQ(Axis::startDecade(0.995f), 0);
    EXPECT_EQ(Axis::startDecade(0.98f), -1);
    EXPECT_EQ(Axis::startDecade(9.95f), 0);
    EXPECT_EQ(Axis::startDecade(10.0f), 1);
    EXPECT_EQ(Axis::startDecade(5.0e-9f), -9);
    EXPECT_EQ(Axis::startDecade(2.0e-9f), -9);
    EXPECT_EQ(Axis::startDecade(5.0e-10f), -10); // the rule goes on below 1e-9
}

TEST_F(AxisTest, SmallDecadesArePrintfFormatted) {
    place(0, 0, 1500, 0);
    axis.logarithmic = true;
    axis.rangeMin = 0.005f;
    axis.rangeMax = 5.0f;
    axis.draw(canvas);
    EXPECT_EQ(axis.tickCounts().majorIntervals, 4);
    EXPECT_EQ(texts(canvas), (std::vector<std::string>{"0.001", " 0.01", "  0.1", "1", "Axis"}));
}

TEST_F(AxisTest, BadLogarithmicRangeIsNamedAndDrawsNothing) {
    place(0, 0, 1000, 0);
    axis.logarithmic = true;
    axis.rangeMin = 0;
    axis.rangeMax = 100;
    EXPECT_EQ(axis.rangeProblem(), "对数轴范围错误。\n将采用缺省值作为轴范围。");
    axis.draw(canvas);
    EXPECT_TRUE(canvas.calls.empty());    // not even the axis line
    EXPECT_FLOAT_EQ(axis.rangeMin, 0.0f); // the sheet resets it, not the drawing

    axis.rangeMin = Axis::defaultLogMin;
    axis.rangeMax = Axis::defaultLogMax;
    EXPECT_FALSE(axis.rangeProblem());
    axis.draw(canvas);
    EXPECT_EQ(axis.tickCounts().majorIntervals, 3);
    EXPECT_EQ(canvas.segments().size(), 1u + 3u + 16u);
    EXPECT_TRUE(hasSegment(canvas, {500, 0}, {500, 5}));
}

TEST_F(AxisTest, BadLogarithmicRangesIncludeNegativeEqualAndInfinite) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        bool logarithmic;
        float lo, hi;
        bool bad;
    };
    for (const Case& c : std::vector<Case>{{true, 10, -1, true},
                                           {true, 10, 10, true},
                                           {true, 1, inf, true},
                                           {true, nan, 10, true},
                                           {true, 0.5f, 10, false},
                                           {false, 0, 10, false},
                                           {false, 10, -1, false}}) {
        axis.logarithmic = c.logarithmic;
        axis.rangeMin = c.lo;
        axis.rangeMax = c.hi;
        EXPECT_EQ(axis.rangeProblem().has_value(), c.bad) << c.lo << ".." << c.hi;
        RecordingCanvas drawn;
        axis.draw(drawn);
        if (c.bad) {
            EXPECT_TRUE(drawn.calls.empty()) << c.lo << ".." << c.hi;
        }
    }
}

TEST_F(AxisTest, LogarithmicWithoutTicksKeepsLabelsAndMajorGrid) {
    place(0, 0, 1000, 0);
    axis.logarithmic = true;
    axis.rangeMin = 1;
    axis.rangeMax = 100;
    axis.showTicks = false;
    axis.showGrid = true;
    axis.gridLength = 700;
    axis.draw(canvas);
    // the axis line and one grid line per decade
    EXPECT_EQ(canvas.segments().size(), 4u);
    EXPECT_TRUE(hasSegment(canvas, {500, 0}, {500, 700}));
    EXPECT_EQ(texts(canvas), (std::vector<std::string>{"1", "10", "100", "Axis"}));
}

TEST_F(AxisTest, LogarithmicMinorGridIsDotted) {
    place(0, 0, 0, 1000);
    axis.logarithmic = true;
    axis.rangeMin = 1;
    axis.rangeMax = 10;
    axis.showGrid = true;
    axis.gridLength = 600;
    axis.draw(canvas);
    // vertical axis, direction 4: ticks to the right, grid to the left
    EXPECT_TRUE(hasSegment(canvas, {0, 1000}, {-600, 1000}));
    int dotted = 0;
    for (const auto& c : canvas.callsOf("lineTo"))
        if (c.pen.style == PenStyle::Dot)
            ++dotted;
    EXPECT_EQ(dotted, 8);
    EXPECT_TRUE(hasSegment(canvas, {0, 301}, {-600, 301}));
    EXPECT_EQ(canvas.pen().style, PenStyle::Solid);
}

TEST_F(AxisTest, VerticalLogarithmicPlacement) {
    place(0, 0, 0, 1250);
    axis.logarithmic = true;
    axis.rangeMin = 1;
    axis.rangeMax = 100;
    axis.tickDirection = TickDirection::Left;
    axis.draw(canvas);
    EXPECT_TRUE(hasSegment(canvas, {0, 625}, {-5, 625}));
    EXPECT_EQ(textAt(canvas, "1"), (Point{-18, 6})); // -7.5 - 1.5 × 7, 0 + 6
    EXPECT_EQ(textAt(canvas, "Axis"), (Point{-30, 647}));

    RecordingCanvas right;
    axis.tickDirection = TickDirection::Right;
    axis.draw(right);
    EXPECT_EQ(textAt(right, "10"), (Point{7, 631}));
    EXPECT_EQ(textAt(right, "Axis"), (Point{46, 603})); // 16 + 30, 625 - 22
}

TEST_F(AxisTest, OneDecadeAxisDrawsOneDecadeTick) {
    place(0, 0, 1000, 0);
    axis.logarithmic = true;
    axis.rangeMin = 2;
    axis.rangeMax = 5;
    axis.draw(canvas);
    EXPECT_EQ(axis.tickCounts().majorIntervals, 1);
    EXPECT_EQ(canvas.segments().size(), 2u);
    EXPECT_EQ(texts(canvas), (std::vector<std::string>{"1", "Axis"}));
}

TEST_F(AxisTest, HitBoxIsGrownByFiveUnits) {
    place(0, 0, 1000, 0);
    EXPECT_TRUE(axis.hitTest(1005, 0));
    EXPECT_FALSE(axis.hitTest(1006, 0));
    EXPECT_TRUE(axis.hitTest(-5, 5));
    EXPECT_FALSE(axis.hitTest(500, -6));
}

TEST_F(AxisTest, EditRunsTheDialogHookWhenSet) {
    axis.edit(ui); // nothing happens without a dialog
    EXPECT_TRUE(ui.messages.empty());
    Axis* edited = nullptr;
    axis.editor = [&](Axis& a) { edited = &a; };
    axis.edit(ui);
    EXPECT_EQ(edited, &axis);
}
