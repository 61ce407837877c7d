#include "plot/Symbol.h"

#include "RecordingCanvas.h"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {
using Segments = std::vector<std::pair<Point, Point>>;

RecordingCanvas draw(int kind, int w, int h) {
    RecordingCanvas canvas;
    canvas.setBrushColor(0x00ABCDEF);
    drawSymbol(canvas, symbolKindOf(kind), 100, 200, w, h);
    return canvas;
}
} // namespace

TEST(Symbol, LineSymbolsSpanHalfTheBoxRoundedTowardZero) {
    EXPECT_EQ(draw(1, 15, 15).segments(), (Segments{{{93, 200}, {107, 200}}, {{100, 193}, {100, 207}}}));
    EXPECT_EQ(draw(2, 15, 9).segments(), (Segments{{{93, 196}, {107, 204}}, {{93, 204}, {107, 196}}}));
    EXPECT_EQ(draw(5, 15, 15).segments(), (Segments{{{93, 193}, {107, 193}},
                                                    {{107, 193}, {107, 207}},
                                                    {{107, 207}, {93, 207}},
                                                    {{93, 207}, {93, 193}}}));
}

TEST(Symbol, CirclesAndSquaresSetTheirBrush) {
    const auto open = draw(3, 15, 15);
    ASSERT_EQ(open.callsOf("ellipse").size(), 1u);
    EXPECT_EQ(open.callsOf("ellipse")[0].points, (std::vector<Point>{{93, 193}, {107, 207}}));
    EXPECT_EQ(open.callsOf("ellipse")[0].brushColor, colors::white);

    const auto square = draw(6, 15, 15);
    ASSERT_EQ(square.callsOf("rectangle").size(), 1u);
    EXPECT_EQ(square.callsOf("rectangle")[0].points, (std::vector<Point>{{93, 193}, {107, 207}}));
    EXPECT_EQ(square.callsOf("rectangle")[0].brushColor, colors::black);
}

TEST(Symbol, TriangleBasesSitAtTheExactThirdTruncated) {
    // H = 10: the base is 10/3 = 3.33 units from the centre, truncated toward zero.
    RecordingCanvas up;
    drawSymbol(up, SymbolKind::FilledTriangleUp, 0, 0, 10, 10);
    EXPECT_EQ(up.callsOf("polygon").at(0).points, (std::vector<Point>{{-5, -3}, {5, -3}, {0, 5}}));
    EXPECT_EQ(up.callsOf("polygon").at(0).brushColor, colors::black);

    RecordingCanvas down;
    drawSymbol(down, SymbolKind::FilledTriangleDown, 0, 0, 10, 10);
    EXPECT_EQ(down.callsOf("polygon").at(0).points, (std::vector<Point>{{-5, 3}, {5, 3}, {0, -5}}));

    EXPECT_EQ(draw(7, 15, 15).segments(),
              (Segments{{{93, 195}, {107, 195}}, {{107, 195}, {100, 207}}, {{100, 207}, {93, 195}}}));
    EXPECT_EQ(draw(9, 15, 15).segments(),
              (Segments{{{93, 205}, {107, 205}}, {{107, 205}, {100, 193}}, {{100, 193}, {93, 205}}}));
}

TEST(Symbol, Diamonds) {
    const auto open = draw(11, 15, 15);
    EXPECT_EQ(open.callsOf("polyline").at(0).points,
              (std::vector<Point>{{93, 200}, {100, 193}, {107, 200}, {100, 207}, {93, 200}}));
    const auto filled = draw(12, 15, 15);
    EXPECT_EQ(filled.callsOf("polygon").at(0).points,
              (std::vector<Point>{{93, 200}, {100, 193}, {107, 200}, {100, 207}}));
    EXPECT_EQ(filled.callsOf("polygon").at(0).brushColor, colors::black);
}

TEST(Symbol, NoneAndUnknownNumbersDrawNothing) {
    for (int kind : {0, 13, -1})
        EXPECT_TRUE(draw(kind, 15, 15).calls.empty()) << kind;
}
