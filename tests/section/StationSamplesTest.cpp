#include "section/StationSamples.h"
#include "section/PseudosectionGrid.h"

#include "SectionFields.h"

#include <gtest/gtest.h>

#include <cmath>

using sectiontest::station;

namespace {

constexpr float gone = missingValue;

TEST(StationSamples, RepeatedSpacingsAreAveragedInLogForResistivityAndLinearlyForIp) {
    // AB/2 = 10 twice (overlapping MN/2): rho 10 and 1000 average to 100 in log, M1 2 and 4 to 3.
    const StationList line{station(1, {100, 10, 1, 10}, {50, 10, 20, 1000}, {6, 2, 1, 4})};
    const auto rho = collectStationSamples(line, Quantity::Res, StationPlacement::ByNumber, 1);
    ASSERT_EQ(rho.size(), 1u);
    ASSERT_EQ(rho[0].logAb.size(), 3u);
    EXPECT_NEAR(rho[0].logAb[0], 0.0, 1e-9); // sorted by AB/2
    EXPECT_NEAR(rho[0].logAb[1], 1.0, 1e-9);
    EXPECT_NEAR(rho[0].logAb[2], 2.0, 1e-9);
    EXPECT_NEAR(rho[0].value[1], 2.0, 1e-9);
    const auto m1 = collectStationSamples(line, Quantity::M1, StationPlacement::ByNumber, 1);
    EXPECT_NEAR(m1[0].value[1], 3.0, 1e-9);
}

struct ValueAtCase {
    const char* name;
    double ab;
    double expected; // log10 rho, NaN for a hole
};

// Station at AB/2 1, 2, 4, 8, 16, 64 with rho 10, 100, missing, 100, 100, 100: a hole between 2 and 8
// (the missing point at 4), and between 16 and 64 a step of two octaves after steps of one: a hole.
const ValueAtCase valueAtCases[] = {
    {"measured", 2, 2.0},
    {"halfWayInLogBetweenMeasured", std::sqrt(2.0), 1.5},
    {"acrossTheMissingPoint", 3, NAN},
    {"atTheMissingPoint", 4, NAN},
    {"afterTheHole", 8, 2.0},
    {"acrossTheWideStep", 32, NAN},
    {"lastMeasured", 64, 2.0},
    {"aboveTheRange", 70, NAN},
    {"belowTheRange", 0.5, NAN},
};

TEST(StationSamples, ValuesAlongAbHalfOnlyBetweenMeasuredNeighbours) {
    const StationList line{station(1, {1, 2, 4, 8, 16, 64}, {10, 100, gone, 100, 100, 100})};
    const auto s = collectStationSamples(line, Quantity::Res, StationPlacement::ByNumber, 1);
    ASSERT_EQ(s.size(), 1u);
    for (const ValueAtCase& c : valueAtCases) {
        const double v = s[0].valueAt(std::log10(c.ab));
        if (std::isnan(c.expected))
            EXPECT_TRUE(std::isnan(v)) << c.name << " gave " << v;
        else
            EXPECT_NEAR(v, c.expected, 1e-9) << c.name;
    }
}

TEST(StationSamples, BothMissingMarkersAndNanAreAbsent) {
    const StationList line{station(1, {1, 2, 4, 8}, {10, 9999, NAN, gone})};
    const auto s = collectStationSamples(line, Quantity::Res, StationPlacement::ByNumber, 1);
    ASSERT_EQ(s[0].logAb.size(), 1u);
    EXPECT_TRUE(std::isnan(s[0].valueAt(std::log10(1.5))));
}

struct PlacementCase {
    const char* name;
    StationPlacement placement;
    double spacing;
    std::vector<double> positions;
    std::vector<int> numbers;
};

// Stations 5, 7, 6 in the file: by number x 20 m they sort to 100, 120, 140 m; by order they stay
// at 0, 1, 2 in file order.
const PlacementCase placementCases[] = {
    {"byNumber", StationPlacement::ByNumber, 20, {100, 120, 140}, {5, 6, 7}},
    {"byOrder", StationPlacement::ByOrder, 20, {0, 1, 2}, {5, 7, 6}},
    {"byNumberHalfMetre", StationPlacement::ByNumber, 0.5, {2.5, 3, 3.5}, {5, 6, 7}},
};

TEST(StationSamples, StationPositions) {
    const StationList line{station(5, {1}, {1}), station(7, {1}, {1}), station(6, {1}, {1})};
    for (const PlacementCase& c : placementCases) {
        const auto s = collectStationSamples(line, Quantity::Res, c.placement, c.spacing);
        ASSERT_EQ(s.size(), c.positions.size()) << c.name;
        for (std::size_t k = 0; k < s.size(); ++k) {
            EXPECT_DOUBLE_EQ(s[k].position, c.positions[k]) << c.name << k;
            EXPECT_EQ(s[k].number, c.numbers[k]) << c.name << k;
        }
    }
}

TEST(StationSamples, StationsOnOnePositionMerge) {
    const StationList line{station(3, {1}, {10}), station(4, {1}, {10}), station(3, {1, 10}, {1000, 10})};
    const auto s = collectStationSamples(line, Quantity::Res, StationPlacement::ByNumber, 1);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].index, 0u); // the first station of the number names the column
    ASSERT_EQ(s[0].logAb.size(), 2u);
    EXPECT_NEAR(s[0].value[0], 2.0, 1e-9); // 10 and 1000 at AB/2 = 1
}

// Two stations 10 m apart, AB/2 1..100, grid of 2 rows per decade (log AB/2 0, 0.5, 1, 1.5, 2) and
// 2 columns per gap (x 0, 5, 10).
TEST(PseudosectionGrid, BetweenStationsLinearInXOfTheScaledValue) {
    const StationList line{station(0, {1, 10, 100}, {10, 10, 10}),
                           station(1, {1, 10, 100}, {1000, 1000, 1000})};
    const auto s = collectStationSamples(line, Quantity::Res, StationPlacement::ByNumber, 10);
    const PseudosectionGrid grid(s, 2, 2);
    ASSERT_EQ(grid.columns(), 3);
    ASSERT_EQ(grid.rows(), 5);
    EXPECT_DOUBLE_EQ(grid.x(1), 5.0);
    EXPECT_DOUBLE_EQ(grid.xAt(1.5), 7.5);
    EXPECT_NEAR(grid.logAb(3), 1.5, 1e-9);
    for (int r = 0; r < grid.rows(); ++r) {
        EXPECT_NEAR(grid.at(0, r), 1.0, 1e-9) << r;
        EXPECT_NEAR(grid.at(1, r), 2.0, 1e-9) << r; // 100 Ω·m half way between 10 and 1000
        EXPECT_NEAR(grid.at(2, r), 3.0, 1e-9) << r;
    }
}

TEST(PseudosectionGrid, HolesAreNotFilled) {
    // The second station lacks the value at AB/2 = 10: its rows 0.5 to 1.5 are a hole, and so is
    // the column between; the first station is untouched.
    const StationList line{station(0, {1, 10, 100}, {10, 10, 10}),
                           station(1, {1, 10, 100}, {1000, gone, 1000})};
    const auto s = collectStationSamples(line, Quantity::Res, StationPlacement::ByNumber, 10);
    const PseudosectionGrid grid(s, 2, 2);
    for (int r = 1; r <= 3; ++r) {
        EXPECT_TRUE(std::isnan(grid.at(2, r))) << r;
        EXPECT_TRUE(std::isnan(grid.at(1, r))) << r;
        EXPECT_NEAR(grid.at(0, r), 1.0, 1e-9) << r;
    }
    EXPECT_NEAR(grid.at(1, 0), 2.0, 1e-9);
    EXPECT_NEAR(grid.at(1, 4), 2.0, 1e-9);
}

TEST(PseudosectionGrid, StationsWithDifferentSpacings) {
    // The second station reaches only AB/2 = 10: below it nothing, also not between the stations.
    const StationList line{station(0, {1, 10, 100}, {10, 10, 10}), station(1, {1, 3, 10}, {10, 10, 10})};
    const auto s = collectStationSamples(line, Quantity::Res, StationPlacement::ByNumber, 10);
    const PseudosectionGrid grid(s, 2, 2);
    EXPECT_NEAR(grid.at(2, 2), 1.0, 1e-9);
    EXPECT_TRUE(std::isnan(grid.at(2, 3)));
    EXPECT_TRUE(std::isnan(grid.at(1, 3)));
    EXPECT_NEAR(grid.at(0, 3), 1.0, 1e-9);
}

} // namespace
