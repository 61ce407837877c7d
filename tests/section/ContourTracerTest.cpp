#include "section/ContourTracer.h"

#include "SectionFields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using sectiontest::field;

namespace {

struct PlaneCase {
    const char* name;
    double a, b; // f = a * column + b * row
    double level;
};

// Planes on a 6 x 5 grid: each level is one straight line, every point of which satisfies
// a * x + b * y = level.
const PlaneCase planeCases[] = {
    {"verticalLine", 1, 0, 2.5}, {"verticalOnNodes", 1, 0, 3},       {"horizontalLine", 0, 1, 1.25},
    {"slanted", 1, 2, 3},        {"slantedDescending", -1, 1, -0.5},
};

TEST(ContourTracer, PlaneGivesOneStraightLineAtItsLevel) {
    for (const PlaneCase& c : planeCases) {
        const auto f = field(6, 5, [&](int col, int row) { return c.a * col + c.b * row; });
        const auto lines = ContourTracer::trace(f, 6, 5, c.level);
        ASSERT_EQ(lines.size(), 1u) << c.name;
        EXPECT_FALSE(lines[0].closed) << c.name;
        EXPECT_GE(lines[0].points.size(), 2u) << c.name;
        for (const PointD& p : lines[0].points)
            EXPECT_NEAR(c.a * p.x + c.b * p.y, c.level, 1e-9) << c.name << " at " << p.x << "," << p.y;
    }
}

TEST(ContourTracer, ParallelLevelsAtKnownColumns) {
    const auto f = field(11, 3, [](int col, int) { return 10.0 * col; }); // 0..100 across
    for (const double level : {15.0, 50.0, 72.0}) {
        const auto lines = ContourTracer::trace(f, 11, 3, level);
        ASSERT_EQ(lines.size(), 1u);
        ASSERT_EQ(lines[0].points.size(), 3u); // rows 0, 1, 2
        for (const PointD& p : lines[0].points)
            EXPECT_NEAR(p.x, level / 10.0, 1e-12);
    }
}

TEST(ContourTracer, RadialFieldGivesClosedCircles) {
    const auto f = field(21, 21, [](int c, int r) { return std::hypot(c - 10.0, r - 10.0); });
    for (const double radius : {3.0, 6.5, 9.0}) {
        const auto lines = ContourTracer::trace(f, 21, 21, radius);
        ASSERT_EQ(lines.size(), 1u) << radius;
        const ContourLine& circle = lines[0];
        EXPECT_TRUE(circle.closed) << radius;
        EXPECT_EQ(circle.points.front(), circle.points.back());
        // Linear interpolation along a cell edge errs by less than a tenth of a cell at these radii.
        for (const PointD& p : circle.points)
            EXPECT_NEAR(std::hypot(p.x - 10.0, p.y - 10.0), radius, 0.1) << radius;
        EXPECT_GT(circle.points.size(), 8u);
    }
}

TEST(ContourTracer, HolesBreakLines) {
    // f = column on 6 x 5 with row 2 a hole: the line at 2.5 stops at rows 1 and 3, in two pieces.
    const auto f = field(6, 5, [](int c, int r) { return r == 2 ? NAN : static_cast<double>(c); });
    const auto lines = ContourTracer::trace(f, 6, 5, 2.5);
    ASSERT_EQ(lines.size(), 2u);
    for (const ContourLine& line : lines)
        for (const PointD& p : line.points) {
            EXPECT_FALSE(p.y > 1.0 && p.y < 3.0) << p.y;
            EXPECT_DOUBLE_EQ(p.x, 2.5);
        }
    // A single missing node removes its four cells: no line passes through them.
    const auto g = field(6, 5, [](int c, int r) { return c == 2 && r == 2 ? NAN : static_cast<double>(c); });
    for (const ContourLine& line : ContourTracer::trace(g, 6, 5, 2.5))
        for (const PointD& p : line.points)
            EXPECT_FALSE(p.y > 1.0 && p.y < 3.0) << p.y;
    EXPECT_TRUE(ContourTracer::trace(std::vector<double>(30, NAN), 6, 5, 2.5).empty());
}

struct SaddleCase {
    const char* name;
    double level;
    // The two expected pieces, each as its two end points (in either order).
    PointD a0, a1, b0, b1;
};

// One cell with corners (0,0) = 1, (1,0) = 0, (1,1) = 1, (0,1) = 0; mean 0.5.
// At 0.5 the mean counts as above: the high corners are joined and the low corners (1,0) and (0,1)
// cut off. At 0.6 the mean is below: the high corners (0,0) and (1,1) are cut off.
const SaddleCase saddleCases[] = {
    {"meanAboveJoinsHighCorners", 0.5, {0.5, 0}, {1, 0.5}, {0.5, 1}, {0, 0.5}},
    {"meanBelowSeparatesHighCorners", 0.6, {0.4, 0}, {0, 0.4}, {0.6, 1}, {1, 0.6}},
};

bool sameSegment(const ContourLine& line, PointD p, PointD q) {
    if (line.points.size() != 2)
        return false;
    const auto near = [](PointD u, PointD v) {
        return std::abs(u.x - v.x) < 1e-12 && std::abs(u.y - v.y) < 1e-12;
    };
    return (near(line.points[0], p) && near(line.points[1], q)) ||
           (near(line.points[0], q) && near(line.points[1], p));
}

TEST(ContourTracer, SaddleIsResolvedByTheCellMean) {
    const std::vector<double> f{1, 0, 0, 1}; // row 0: (0,0)=1 (1,0)=0; row 1: (0,1)=0 (1,1)=1
    for (const SaddleCase& c : saddleCases) {
        const auto lines = ContourTracer::trace(f, 2, 2, c.level);
        ASSERT_EQ(lines.size(), 2u) << c.name;
        const bool ab = sameSegment(lines[0], c.a0, c.a1) && sameSegment(lines[1], c.b0, c.b1);
        const bool ba = sameSegment(lines[1], c.a0, c.a1) && sameSegment(lines[0], c.b0, c.b1);
        EXPECT_TRUE(ab || ba) << c.name;
    }
}

TEST(ContourTracer, SaddlesInARowJoinIntoWholeLines) {
    // A checkerboard of 1 and 0 on 4 x 2 nodes, (0,0) = 1: three saddle cells side by side. With the mean
    // counting as above, every cell cuts off its two low corners. The pieces around the low corner (1,0)
    // from the first two cells meet on the edge (1,0)-(1,1), those around (2,1) on (2,0)-(2,1); the pieces
    // at the outer corners (0,1) and (3,0) stay alone: four lines of six segments.
    const auto f = field(4, 2, [](int c, int r) { return (c + r) % 2 == 0 ? 1.0 : 0.0; });
    const auto lines = ContourTracer::trace(f, 4, 2, 0.5);
    std::size_t segments = 0;
    for (const ContourLine& line : lines)
        segments += line.points.size() - 1;
    EXPECT_EQ(segments, 6u);
    EXPECT_EQ(lines.size(), 4u);
}

} // namespace
