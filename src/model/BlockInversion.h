#pragma once

#include <string>
#include <vector>

#include "model/FitReport.h"
#include "model/ForwardModel.h"
#include "model/SoundingData.h"

namespace model {

// A parameter held at a value during a fit: "rho1".."rhoK" (ohm-m) or "thk1".."thk(K-1)" (m).
struct FixedParameter {
    std::string name;
    double value = 0.0;
};

struct BlockFitOptions {
    int layers = 3;     // K, the last one a half-space
    bool ideal = false; // model every point with an ideal array (MN -> 0)
    int starts = 10;    // starting models: the curve's own shape, then seeded random ones; the best is kept
    int maxIterations = 60; // per start
    unsigned seed = 1;      // of the random starts: the same seed, the same fit
    std::vector<FixedParameter> fixed;
    LayeredModel start;        // an extra starting model (e.g. the user's), used when it has K valid layers
    bool chargeability = true; // then fit the layer chargeabilities to the M1 values, where there are any
};

// K-layer block fit of log resistivities and log thicknesses by damped least squares on
// ln(rhoa_data) - ln(rhoa_model). Never throws: a sounding that cannot be fitted (fewer usable points than
// free parameters, an unknown fixed parameter, ...) gives a report with `error` set.
FitResult fitBlockModel(const SoundingData& data, const BlockFitOptions& options = {});

} // namespace model
