#include "section/ContourLabeller.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Pieces = std::vector<std::vector<PointD>>;

void expectPieces(const Pieces& actual, const Pieces& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        ASSERT_EQ(actual[i].size(), expected[i].size()) << i;
        for (std::size_t k = 0; k < actual[i].size(); ++k) {
            EXPECT_NEAR(actual[i][k].x, expected[i][k].x, 1e-9) << i << "," << k;
            EXPECT_NEAR(actual[i][k].y, expected[i][k].y, 1e-9) << i << "," << k;
        }
    }
}

// A frame of 1000 x 1000 sheet units.
ContourLabeller labeller(double margin = 0.0) {
    return ContourLabeller(0, 0, 1000, 1000, margin);
}

struct PlaceCase {
    const char* name;
    std::vector<PointD> line;
    double halfWidth, halfHeight, minLength;
    bool placed;
    PointD at;
    double angle;
    double tolerance; // of the position
    std::vector<PointD> dots = {};
};

const PlaceCase placeCases[] = {
    {"middleOfAHorizontalLine", {{100, 500}, {900, 500}}, 1, 1, 5, true, {500, 500}, 0, 1e-9},
    {"leftwardReadsLeftToRight", {{900, 500}, {100, 500}}, 1, 1, 5, true, {500, 500}, 0, 1e-9},
    {"downwardTurnsUp", {{500, 900}, {500, 100}}, 1, 1, 5, true, {500, 500}, 90, 1e-9},
    {"diagonal", {{100, 100}, {500, 500}}, 1, 1, 5, true, {300, 300}, 45, 1e-9},
    {"tooShort", {{100, 500}, {103, 500}}, 1, 1, 5, false, {}, 0, 0},
    // The middle (300, 300) is steep; the flat part from (100, 100) to (300, 100) takes the label,
    // short of the corner, where the line bends under it.
    // The nearest such place puts the label's end at the corner: its middle at (290, 100).
    {"steepMiddleGoesToTheFlatPart", {{100, 100}, {300, 100}, {300, 700}}, 10, 5, 5, true, {280, 100}, 0, 10},
    // The middle's box would stick out over the frame's top; lower down either slope (13.36 degrees)
    // it fits: its top corner, 20 sin + 10 cos = 14.35 above its middle, reaches the frame at a middle
    // of (460.5, 985.6) on the left slope, (539.5, 985.6) on the right.
    {"keptInsideTheFrame", {{100, 900}, {500, 995}, {900, 900}}, 20, 10, 5, true, {500, 980}, 13.36, 60},
    {"noRoomAlongTheFramesEdge", {{100, 995}, {900, 995}}, 20, 10, 5, false, {}, 0, 0},
    // A dot of radius 5 in the middle: the label's middle goes at least 20 + 5 to one side.
    {"besideAMeasuredPoint", {{100, 500}, {900, 500}}, 20, 10, 5, true, {465, 500}, 0, 20, {{500, 500}}},
    {"overAPointWhereNothingElseFits",
     {{400, 500}, {600, 500}},
     90,
     10,
     5,
     true,
     {500, 500},
     0,
     1e-9,
     {{500, 500}}},
};

TEST(ContourLabeller, LabelsSitOnTheirLineInsideTheFrameReadingLeftToRight) {
    for (const PlaceCase& c : placeCases) {
        ContourLabeller labels = labeller();
        labels.avoid(c.dots, 5);
        const auto box = labels.place(c.line, c.halfWidth, c.halfHeight, c.minLength);
        ASSERT_EQ(box.has_value(), c.placed) << c.name;
        if (!box)
            continue;
        EXPECT_NEAR(box->centre.x, c.at.x, c.tolerance) << c.name;
        EXPECT_NEAR(box->centre.y, c.at.y, c.tolerance) << c.name;
        EXPECT_NEAR(std::abs(box->angleDegrees), c.angle, 0.01) << c.name;
        for (const PointD& p : box->corners()) {
            EXPECT_GE(std::min(p.x, p.y), 0.0) << c.name;
            EXPECT_LE(std::max(p.x, p.y), 1000.0) << c.name;
        }
    }
}

TEST(ContourLabeller, ALaterLabelMakesRoomForAnEarlierOne) {
    // Two crossing lines with the same middle: the second label goes elsewhere on its line.
    ContourLabeller labels = labeller(10);
    const auto first = labels.place({{100, 500}, {900, 500}}, 50, 15, 5);
    const auto second = labels.place({{500, 100}, {500, 900}}, 50, 15, 5);
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(first->grown(10).overlaps(*second));
    EXPECT_EQ(labels.boxes().size(), 2u);
}

TEST(ContourLabeller, LinesAreCutAroundEveryLabelWithTheMargin) {
    ContourLabeller labels = labeller(10);
    // A label 100 x 30 in the middle of a horizontal line: a gap of 100 + 2 x 10 along it.
    ASSERT_TRUE(labels.place({{0, 500}, {1000, 500}}, 50, 15, 5));
    expectPieces(labels.cut({{0, 500}, {1000, 500}}, false),
                 (Pieces{{{0, 500}, {440, 500}}, {{560, 500}, {1000, 500}}}));
    // Another line through the label across it: a gap of 30 + 2 x 10.
    expectPieces(labels.cut({{500, 0}, {500, 1000}}, false),
                 (Pieces{{{500, 0}, {500, 475}}, {{500, 525}, {500, 1000}}}));
    // A line clear of the label is left whole.
    expectPieces(labels.cut({{0, 600}, {1000, 600}}, false), (Pieces{{{0, 600}, {1000, 600}}}));

    // A closed square whose label sits on its top side comes back as one line from the gap round
    // to the gap.
    ContourLabeller loop = labeller(10);
    const std::vector<PointD> square{{500, 200}, {800, 200}, {800, 800}, {200, 800}, {200, 200}, {500, 200}};
    const auto box = loop.place(square, 50, 15, 5);
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->centre.x, 500, 1e-9);
    EXPECT_NEAR(box->centre.y, 800, 1e-9);
    expectPieces(
        loop.cut(square, true),
        (Pieces{{{440, 800}, {200, 800}, {200, 200}, {500, 200}, {800, 200}, {800, 800}, {560, 800}}}));
}

} // namespace
