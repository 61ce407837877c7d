#pragma once

#include <string>
#include <vector>

#include "model/ForwardModel.h"

namespace model {

// How a fit went. On failure `error` says why (for the user) and the rest is left empty.
struct FitReport {
    double rmsPercent = 0.0; // sqrt(mean((100 (ln rhoa_data - ln rhoa_model))^2)) over the used points
    int iterations = 0;      // iterations of the accepted solution
    bool converged = false;
    int pointsUsed = 0;
    std::vector<double> ab2;        // AB/2 (m) of the used points, in the sounding's order
    std::vector<double> response;   // model apparent resistivity (ohm-m) at those points
    std::vector<double> maResponse; // model apparent chargeability (percent), when chargeability was fitted
    double maRms = 0.0;             // RMS of M1 data minus model (percentage points), when fitted
    std::string error;
    bool outOfMemory = false; // the fit ran out of memory: no verdict on the station itself

    bool ok() const { return error.empty(); }
};

struct FitResult {
    LayeredModel model;
    FitReport report;
};

} // namespace model
