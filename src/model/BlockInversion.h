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

// Which segment keeps the factor 1 when segments measured with different MN/2 are joined by fitted factors.
enum class SegmentReference { None, SmallestMn2, LargestMn2 };

struct BlockFitOptions {
    int layers = 3;          // K, the last one a half-space (see LayerLimits.h)
    bool autoLayers = false; // choose K by a significance test instead (`layers` is then not used)
    SegmentReference segments = SegmentReference::None; // None: no segment factors are fitted
    std::vector<std::size_t> mask;                      // the sounding's positions left out of the fit
    bool ranges = false;                                // compute the 95 % profile range of every free value
    bool ideal = false;                                 // model every point with an ideal array (MN -> 0)
    int starts = 10; // starting models: the curve's own shape, then seeded random ones; the best is kept
    int maxIterations = 60; // per start
    unsigned seed = 1;      // of the random starts: the same seed, the same fit
    std::vector<FixedParameter> fixed;
    LayeredModel start;        // an extra starting model (e.g. the user's), used when it has K valid layers
    bool chargeability = true; // then fit the layer chargeabilities to the M1 values, where there are any
};

// K-layer block fit of log resistivities and log thicknesses (and log segment factors) by damped least
// squares on ln(f rhoa_data) - ln(rhoa_model). A sounding that cannot be fitted (fewer usable points than
// free parameters, an unknown fixed parameter, a mask outside the station, ...) gives a report with
// `error` set. Throws only std::bad_alloc.
FitResult fitBlockModel(const SoundingData& data, const BlockFitOptions& options = {});

// Why the name is not a parameter of a K-layer model ("rho1".."rhoK", "thk1".."thk(K-1)"), or empty.
std::string unknownParameter(const std::string& name, int layers);

} // namespace model
