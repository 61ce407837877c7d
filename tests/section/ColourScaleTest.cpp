#include "section/ColourScale.h"
#include "section/NiceLevels.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct FractionCase {
    const char* name;
    double low, high;
    bool logarithmic;
    double value;
    double expected;
};

// Log: 10 is half way between 1 and 100, 1000 clamps to the top; linear: 2.5 is a quarter of 0..10.
const FractionCase fractionCases[] = {
    {"logLowEnd", 1, 100, true, 1, 0.0},          {"logHalfWay", 1, 100, true, 10, 0.5},
    {"logQuarter", 1, 10000, true, 10, 0.25},     {"logTopEnd", 1, 100, true, 100, 1.0},
    {"logAboveClamps", 1, 100, true, 1000, 1.0},  {"logBelowClamps", 1, 100, true, 0.1, 0.0},
    {"linearQuarter", 0, 10, false, 2.5, 0.25},   {"linearNegativeRange", -4, 4, false, 0, 0.5},
    {"linearBelowClamps", 0, 10, false, -3, 0.0},
};

TEST(ColourScale, FractionIsLogForResistivityAndLinearForIp) {
    for (const FractionCase& c : fractionCases) {
        const ColourScale scale(c.low, c.high, c.logarithmic, ColourMap::Viridis);
        EXPECT_NEAR(scale.fraction(c.value), c.expected, 1e-12) << c.name;
    }
}

TEST(ColourScale, MissingValuesHaveNoFractionAndDrawWhite) {
    const ColourScale scale(1, 100, true, ColourMap::BlueYellowRed);
    for (const double missing : {-9999.0, 9999.0, std::nan(""), 0.0, -5.0}) {
        EXPECT_TRUE(std::isnan(scale.fraction(missing))) << missing;
        EXPECT_EQ(scale.colour(missing), colors::white) << missing;
    }
}

// The ends of both maps are their published end colours, in the sheet's 0x00BBGGRR order:
// viridis #440154 .. #FDE725, the blue-yellow-red map #313695 .. #A50026 through its anchors, one every
// 25.5 entries (entry 51 is the third anchor #74ADD1, entry 153 the seventh, #FEE090).
TEST(ColourScale, EndsTakeTheMapsEndColours) {
    const ColourScale viridis(0, 1, false, ColourMap::Viridis);
    EXPECT_EQ(viridis.colour(0), colors::rgb(0x44, 0x01, 0x54));
    EXPECT_EQ(viridis.colour(1), colors::rgb(0xFD, 0xE7, 0x25));
    EXPECT_EQ(viridis.colour(-7), colors::rgb(0x44, 0x01, 0x54));
    EXPECT_EQ(viridis.colour(9), colors::rgb(0xFD, 0xE7, 0x25));
    const ColourScale rho(1, 1e4, true, ColourMap::BlueYellowRed);
    EXPECT_EQ(rho.colour(1), colors::rgb(0x31, 0x36, 0x95));
    EXPECT_EQ(rho.colour(1e4), colors::rgb(0xA5, 0x00, 0x26));
    EXPECT_EQ(colourMapEntry(ColourMap::BlueYellowRed, 51), colors::rgb(0x74, 0xAD, 0xD1));
    EXPECT_EQ(colourMapEntry(ColourMap::BlueYellowRed, 153), colors::rgb(0xFE, 0xE0, 0x90));
    EXPECT_EQ(colourMapEntry(ColourMap::BlueYellowRed, 300), colors::rgb(0xA5, 0x00, 0x26));
}

TEST(ColourScale, RangeFromDataSkipsMissingValues) {
    ColourScale ip(0, 1, false, ColourMap::Viridis);
    ASSERT_TRUE(ip.setRangeFromValues({5, -9999, 20, 9999, NAN, 7}));
    EXPECT_EQ(ip.low(), 5);
    EXPECT_EQ(ip.high(), 20);
    ColourScale rho(1, 10, true, ColourMap::BlueYellowRed);
    ASSERT_TRUE(rho.setRangeFromValues({-3, 0, 30, 3000}));
    EXPECT_EQ(rho.low(), 30);
    EXPECT_EQ(rho.high(), 3000);
    EXPECT_FALSE(rho.setRangeFromValues({-9999, NAN}));
    EXPECT_EQ(rho.low(), 30);
}

TEST(ColourScale, AbsurdUserRangesAreRefused) {
    ColourScale rho(1, 10, true, ColourMap::BlueYellowRed);
    EXPECT_FALSE(rho.setRange(0, 10));
    EXPECT_FALSE(rho.setRange(10, 10));
    EXPECT_FALSE(rho.setRange(100, 10));
    EXPECT_FALSE(rho.setRange(1, INFINITY));
    EXPECT_TRUE(rho.setRange(5, 50));
    EXPECT_EQ(rho.low(), 5);
    ColourScale ip(0, 1, false, ColourMap::Viridis);
    EXPECT_TRUE(ip.setRange(-2, 0));
}

struct LevelsCase {
    const char* name;
    double low, high;
    bool logarithmic;
    std::vector<double> expected;
};

const LevelsCase levelCases[] = {
    {"oneTwoFivePerDecade", 1, 1000, true, {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}},
    {"partDecades", 3, 40, true, {5, 10, 20}},
    {"manyDecadesOnlyPowers", 1, 1e8, true, {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8}},
    {"narrowLogRangeFiner", 12, 40, true, {15, 20, 30}},
    {"tenthsAreExact", 0, 1, false, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0}},
    {"fives", 0, 47, false, {0, 5, 10, 15, 20, 25, 30, 35, 40, 45}},
    {"negativeLinear", -3, 3, false, {-3, -2, -1, 0, 1, 2, 3}},
    {"emptyRange", 5, 5, false, {}},
    {"logOfNonPositive", 0, 10, true, {}},
};

TEST(NiceLevels, LevelsPerRange) {
    for (const LevelsCase& c : levelCases) {
        const std::vector<double> levels = niceLevels(c.low, c.high, c.logarithmic);
        ASSERT_EQ(levels.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < levels.size(); ++i)
            EXPECT_DOUBLE_EQ(levels[i], c.expected[i]) << c.name << " " << i;
    }
}

} // namespace
