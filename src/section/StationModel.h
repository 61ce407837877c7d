#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

// One layer of a station's layered earth model.
struct ModelLayer {
    double rho = 0.0;               // resistivity, Ω·m
    double thickness = 0.0;         // metres; ignored for the last layer, which goes on downward
    std::optional<double> mPercent; // chargeability in percent, when the model has one
};

// The fitted model of one station, as the section draws it.
struct StationModel {
    std::int32_t stationNumber = 0;
    std::vector<ModelLayer> layers; // from the surface down
    double rmsPercent = NAN;        // misfit of the fit in percent; NaN when unknown
};
