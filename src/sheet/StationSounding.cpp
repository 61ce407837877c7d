#include "sheet/StationSounding.h"

model::SoundingData soundingOf(const Station& station, bool ideal) {
    std::vector<float> mn = station.mnHalf.toVector();
    if (ideal || mn.size() != station.size())
        mn.assign(station.size(), 0.0f);
    const std::vector<float> m1 = station.chargeability.toVector();
    return model::SoundingData::from<float>(station.abHalf, mn, station.resistivity, m1);
}

StationModel stationModelOf(const Station& station, const model::FitResult& fit) {
    StationModel result;
    result.stationNumber = station.stationNumber.empty() ? 0 : station.stationNumber[0];
    if (!fit.report.ok())
        return result;
    result.earth = fit.model;
    result.withChargeability = !fit.report.maResponse.empty();
    result.rmsPercent = fit.report.rmsPercent;
    return result;
}

std::vector<double> stationPositions(const StationList& stations, StationPlacement placement,
                                     double spacing) {
    std::vector<double> out;
    out.reserve(stations.size());
    for (std::size_t i = 0; i < stations.size(); ++i) {
        const Station& station = stations[i];
        out.push_back(stationPosition(station.stationNumber.empty() ? 0 : station.stationNumber[0], i,
                                      placement, spacing));
    }
    return out;
}
