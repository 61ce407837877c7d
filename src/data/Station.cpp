#include "Station.h"

void Station::appendPoint(std::int32_t number, float ab, float rho, float m1, float r, float th, float td,
                          float zp, float mn) {
    stationNumber.push_back(number);
    pointCode.push_back(pointCodeValue);
    abHalf.push_back(ab);
    resistivity.push_back(rho);
    chargeability.push_back(m1);
    deviation.push_back(r);
    halfDecayTime.push_back(th);
    decay.push_back(td);
    compositeParameter.push_back(zp);
    mnHalf.push_back(mn);
}

void Station::reserve(std::size_t points) {
    stationNumber.reserve(points);
    pointCode.reserve(points);
    abHalf.reserve(points);
    resistivity.reserve(points);
    chargeability.reserve(points);
    deviation.reserve(points);
    halfDecayTime.reserve(points);
    decay.reserve(points);
    compositeParameter.reserve(points);
    mnHalf.reserve(points);
}

std::optional<std::size_t> findStationIndex(const StationList& stations, std::int32_t number) {
    for (std::size_t i = 0; i < stations.size(); ++i) {
        if (!stations[i].stationNumber.empty() && stations[i].stationNumber[0] == number)
            return i;
    }
    return std::nullopt;
}
