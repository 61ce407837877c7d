#pragma once

#include <cstddef>
#include <vector>

#include "model/FitReport.h"
#include "model/SoundingData.h"

namespace model {

struct SmoothFitOptions {
    // Thin layers of fixed thickness, growing with depth: interfaces log-spaced from a third of the
    // shortest to the longest AB/2. 0 chooses about 6 interfaces per decade of AB/2 (8 to 40).
    int interfaces = 0;
    bool ideal = false;            // model every point with an ideal array (MN -> 0)
    double targetRmsPercent = 0.0; // the noise level; 0 takes the best attainable misfit (plus 5 %)
    int maxIterations = 30;
    std::vector<std::size_t> mask; // the sounding's positions left out of the fit
    bool chargeability = true;     // then fit the layer chargeabilities to the M1 values, where there are any
};

// Smooth many-layer fit (Occam style): log resistivities of the thin layers, regularised by the roughness
// of log resistivity with depth; at every step the smoothest model whose misfit reaches the target is
// taken, or the one of least misfit while the target is out of reach. The thicknesses come back marked
// as fixed. Never throws; a sounding that cannot be fitted gives a report with `error` set.
FitResult fitSmoothModel(const SoundingData& data, const SmoothFitOptions& options = {});

} // namespace model
