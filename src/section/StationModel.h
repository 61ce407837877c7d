#pragma once

#include <cmath>
#include <cstdint>

#include "model/ForwardModel.h"

// The fitted model of one station, as the section draws it: the layered earth of the fit, the same
// record the sheet shows and the model files hold.
struct StationModel {
    std::int32_t stationNumber = 0;
    model::LayeredModel earth;      // from the surface down; the last layer goes on downward
    double rmsPercent = NAN;        // misfit of the fit in percent; NaN when unknown
    bool withChargeability = false; // the fit gave the layers' chargeabilities (percent)
};
