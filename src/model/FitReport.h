#pragma once

#include <string>
#include <vector>

#include "model/ForwardModel.h"

namespace model {

// A set of points measured with one MN/2 and the static factor the segment correction fitted for it:
// corrected = factor x measured. The reference segment keeps the factor 1.
struct SegmentFactor {
    double mn2 = 0.0; // m, 0 for points without MN/2
    int points = 0;
    double factor = 1.0;
    bool reference = false;
};

// The misfit of the best K-layer fit, one entry per count tried by the automatic choice.
struct LayerCountTrial {
    int layers = 0;
    double rmsPercent = 0.0;
};

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
    std::vector<SegmentFactor> segments; // with segment correction, in increasing MN/2
    std::vector<double> correctedRhoa;   // with segment correction: factor x measured, at the used points
    std::vector<std::size_t> masked;     // the sounding's positions left out by the user
    std::vector<LayerCountTrial> layerSearch; // with the automatic choice of the number of layers
    int layersChosen = 0;                     // likewise
    std::string error;
    bool outOfMemory = false; // the fit ran out of memory: no verdict on the station itself

    bool ok() const { return error.empty(); }
};

struct FitResult {
    LayeredModel model;
    FitReport report;
};

} // namespace model
