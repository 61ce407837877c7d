#include "data/Station.h"
#include "data/Quantity.h"

#include <cmath>
#include <optional>

#include <gtest/gtest.h>

TEST(Station, AppendKeepsTheNineVectorsPaired) {
    Station station;
    station.appendPoint(7, 1.5f, 30.f, 1.f, 2.f, 3.f, 4.f, 5.f);
    station.appendPoint(7, 2.5f, 40.f, missingValue, missingValue, missingValue, missingValue, missingValue);
    EXPECT_EQ(station.size(), 2u);
    EXPECT_EQ(station.stationNumber, (std::vector<std::int32_t>{7, 7}));
    EXPECT_EQ(station.pointCode, (std::vector<std::int32_t>{102, 102}));
    EXPECT_EQ(station.halfDecayTime, (std::vector<float>{3.f, -9999.f}));
    EXPECT_EQ(station.decay, (std::vector<float>{4.f, -9999.f}));
    EXPECT_EQ(station.compositeParameter.size(), 2u);
}

TEST(Station, ListCopiesAreDeepAndLookupFindsTheFirst) {
    StationList stations;
    for (int n : {3, 9, 3}) {
        Station s;
        s.appendPoint(n, 1.f, 9999.f, -9999.f, 0, 0, 0, 0);
        stations.push_back(s);
    }
    StationList copy = stations;
    copy[0].resistivity[0] = 1.f;
    EXPECT_EQ(stations[0].resistivity[0], 9999.f);
    EXPECT_EQ(findStationIndex(stations, 3), 0u);
    EXPECT_EQ(findStationIndex(stations, 9), 1u);
    EXPECT_FALSE(findStationIndex(stations, 4).has_value());
}

// The station record keeps TH before TD while the window and the commands list TD first: every name
// must reach the column of its own quantity.
TEST(Station, EachQuantityReadsItsOwnColumn) {
    Station station;
    // appendPoint takes RES, M1, R, TH, TD, ZP after AB/2.
    station.appendPoint(1, 2.f, 10.f, 11.f, 12.f, 14.f, 13.f, 15.f);
    const struct {
        const char* name;
        float value;
    } cases[] = {{"res", 10.f}, {"m1", 11.f}, {"r", 12.f}, {"td", 13.f}, {"th", 14.f}, {"zp", 15.f}};
    for (const auto& c : cases) {
        const std::optional<Quantity> quantity = quantityNamed(c.name);
        ASSERT_TRUE(quantity) << c.name;
        EXPECT_EQ(commandName(*quantity), c.name);
        EXPECT_EQ(withValuesOf(station, *quantity, [](const auto& values) { return values[0]; }), c.value)
            << c.name;
    }
    EXPECT_FALSE(quantityNamed("RES"));
    EXPECT_FALSE(quantityNamed("model"));
}

TEST(Station, MissingMeansEitherMarkerOrNaNButNotInfinity) {
    for (double v : {-9999.0, 9999.0, std::nan("")})
        EXPECT_TRUE(isMissing(v)) << v;
    for (double v : {0.0, -9998.0, 9999.5, HUGE_VAL})
        EXPECT_FALSE(isMissing(v)) << v;
}
