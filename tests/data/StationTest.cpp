#include "data/Station.h"

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
