#include "sheet/Legend.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "RecordingCanvas.h"
#include "ScriptedUi.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

class LegendTest : public ::testing::Test {
protected:
    LegendTest() {
        // Frame 500 × 500: the right axis's second point is the top right corner, so the boxes start
        // at x 300 and the first row's top at y 450.
        s.rightAxis.x1 = 500.0f;
        s.rightAxis.y1 = 0.0f;
        s.rightAxis.x2 = 500.0f;
        s.rightAxis.y2 = 500.0f;
        for (Curve* c : {&s.resCurve, &s.m1Curve, &s.rCurve, &s.thCurve, &s.tdCurve, &s.zpCurve}) {
            c->xPoints = {10.0f, 20.0f};
            c->yPoints = {10.0f, 20.0f};
            c->showSymbols = true;
        }
    }

    std::vector<RecordingCanvas::Call> labels() const { return canvas.callsOf("textOut"); }

    ScriptedUi ui;
    SheetState s{ui};
    PlotChoices choices;
    RecordingCanvas canvas;
};

struct Box {
    int minX, minY, maxX, maxY;
    friend bool operator==(const Box&, const Box&) = default;
};

// The box of two corners, whatever their order.
Box normalised(const RecordingCanvas::Call& call) {
    const Point a = call.points[0];
    const Point b = call.points[1];
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

} // namespace

TEST_F(LegendTest, NoEntryWhileEverySymbolIsZero) {
    choices.ticked.fill(true);
    drawLegend(s, choices, canvas);
    EXPECT_TRUE(canvas.calls.empty());
}

TEST_F(LegendTest, DrawnEntriesFollowEachOtherWithoutGaps) {
    choices.ticked[Quantity::Res] = true;
    choices.ticked[Quantity::TD] = true;
    choices.ticked[Quantity::M1] = true;
    choices.symbols[Quantity::Res] = 4;
    choices.symbols[Quantity::TD] = 9;
    choices.symbols[Quantity::M1] = 0;
    drawLegend(s, choices, canvas);

    const auto texts = labels();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Res");
    EXPECT_EQ(texts[0].points[0], (Point{385, 450}));
    EXPECT_EQ(texts[1].text, "TD");
    EXPECT_EQ(texts[1].points[0], (Point{385, 400}));

    // Row 1: box 300..375 × 450..425, centre (337, 437), s = −18, h = −9: a filled circle of 18 units.
    const auto segments = canvas.segments();
    ASSERT_GE(segments.size(), 1u);
    EXPECT_EQ(segments[0], (std::pair<Point, Point>{{300, 437}, {375, 437}}));
    const auto circles = canvas.callsOf("ellipse");
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(normalised(circles[0]), (Box{328, 428, 346, 446}));
    EXPECT_EQ(circles[0].brushColor, colors::black);
    EXPECT_EQ(circles[0].brushStyle, BrushStyle::Solid);
    EXPECT_EQ(circles[0].pen.color, colors::black);

    // Row 2: centre (337, 387), t = −6: a triangle pointing down, base at y 393, apex at y 378.
    const std::vector<std::pair<Point, Point>> triangle{{{300, 387}, {375, 387}},
                                                        {{346, 393}, {328, 393}},
                                                        {{328, 393}, {337, 378}},
                                                        {{337, 378}, {346, 393}}};
    ASSERT_EQ(segments.size(), 5u);
    EXPECT_EQ(std::vector(segments.begin() + 1, segments.end()), triangle);
    // The labels are written with the canvas's own font and a clear brush.
    EXPECT_EQ(texts[0].font, defaultFont());
    EXPECT_EQ(texts[0].brushStyle, BrushStyle::Clear);
}

TEST_F(LegendTest, NoEntryWithoutPointsSymbolsOrTick) {
    choices.ticked.fill(true);
    choices.symbols.fill(5);
    choices.ticked[Quantity::ZP] = false; // not ticked
    s.resCurve.xPoints.clear();           // no points at this station
    s.rCurve.showSymbols = false;         // legend switch turned the symbols off
    drawLegend(s, choices, canvas);
    const auto texts = labels();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "M1");
    EXPECT_EQ(texts[1].text, "TD");
    EXPECT_EQ(texts[2].text, "TH");
    EXPECT_EQ(texts[0].points[0].y, 450);
    EXPECT_EQ(texts[2].points[0].y, 350);
}

TEST_F(LegendTest, SampleUsesTheCurvePenAndTheSymbolABlackOutline) {
    s.resCurve.penStyle = PenStyle::Dash;
    s.resCurve.penWidth = 3;
    s.resCurve.color = colors::red;
    choices.ticked[Quantity::Res] = true;
    choices.symbols[Quantity::Res] = 5; // open square
    canvas.setBrushColor(colors::white);
    drawLegend(s, choices, canvas);

    const auto lines = canvas.callsOf("lineTo");
    ASSERT_EQ(lines.size(), 5u); // the sample and four sides
    EXPECT_EQ(lines[0].pen.style, PenStyle::Dash);
    EXPECT_EQ(lines[0].pen.width, 3);
    EXPECT_EQ(lines[0].pen.color, colors::red);
    for (std::size_t k = 1; k < lines.size(); ++k) {
        EXPECT_EQ(lines[k].pen.style, PenStyle::Dash);
        EXPECT_EQ(lines[k].pen.width, 3);
        EXPECT_EQ(lines[k].pen.color, colors::black);
    }
    // The square spans cx ± 9, cy ± 9 around (337, 437).
    const auto segments = canvas.segments();
    int minX = 1000, maxX = -1000, minY = 1000, maxY = -1000;
    for (std::size_t k = 1; k < segments.size(); ++k) {
        for (Point p : {segments[k].first, segments[k].second}) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
    EXPECT_EQ((Box{minX, minY, maxX, maxY}), (Box{328, 428, 346, 446}));
    // Brush colour and style come back.
    EXPECT_EQ(canvas.brushColor(), colors::white);
    EXPECT_EQ(canvas.brushStyle(), BrushStyle::Solid);
}

TEST(LegendEntryTest, BoxSymbolsFollowTheBoxRuleInBothDirections) {
    // On a y-down list item of height 16: s = 12, h = 6, t = 4; triangle 7 points up on the screen.
    RecordingCanvas list;
    drawLegendEntry(list, 7, Pen{}, 0, 0, 20, 16);
    const auto up = list.segments();
    ASSERT_EQ(up.size(), 4u);
    EXPECT_EQ(up[1].first, (Point{4, 12}));   // base from (cx − h, cy + t)
    EXPECT_EQ(up[1].second, (Point{16, 12})); // to (cx + h, cy + t)
    EXPECT_EQ(up[2].second, (Point{10, 2}));  // apex (cx, cy − h)

    // Filled diamond 12 and filled square 6 on the sheet: black fill, shape within cx ± 9, cy ± 9.
    for (int symbol : {6, 12}) {
        RecordingCanvas sheet;
        sheet.setBrushColor(colors::rgb(1, 2, 3));
        drawLegendEntry(sheet, symbol, Pen{}, 300, 450, 375, 425);
        ASSERT_FALSE(sheet.calls.empty());
        const RecordingCanvas::Call& shape = sheet.calls.back();
        EXPECT_EQ(shape.brushColor, colors::black) << symbol;
        int minX = 1000, maxX = -1000, minY = 1000, maxY = -1000;
        for (Point p : shape.points) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
        EXPECT_EQ((Box{minX, minY, maxX, maxY}), (Box{328, 428, 346, 446})) << symbol;
        EXPECT_EQ(sheet.brushColor(), colors::rgb(1, 2, 3));
    }

    // Number 0 and unknown numbers draw the line sample only.
    for (int symbol : {0, 13, -1}) {
        RecordingCanvas sheet;
        drawLegendEntry(sheet, symbol, Pen{}, 300, 450, 375, 425);
        EXPECT_EQ(sheet.segments().size(), 1u) << symbol;
        EXPECT_EQ(sheet.calls.size(), 2u) << symbol;
    }
}
