#pragma once

#include <Eigen/Core>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/BlockInversion.h"
#include "model/FitReport.h"
#include "model/SoundingData.h"

namespace model {

// What a single-station block fit and the joint fit of a line share about one station: its segments and the
// bounds of its log parameters. Internal to the fitting code.

// Index of a named parameter ("rho1".."rhoK", "thk1".."thk(K-1)") in the layout ln rho_1..rho_K,
// ln thk_1..thk_(K-1), or nothing.
std::optional<int> parameterIndex(const std::string& name, int layers);

// The segments of the usable points (one per measured MN/2, in increasing MN/2) and, for each point, the
// index of its fitted factor (-1 for the reference segment).
struct Segmentation {
    std::vector<SegmentFactor> segments;
    std::vector<int> factorOfPoint;
    int factors = 0;
};

Segmentation segmentsOf(const UsablePoints& points, SegmentReference reference);

// The fitted segment factors (ln f at x[modelParameters...]) into the report, with the corrected data;
// returns each point's factor, or nothing without segments.
std::vector<double> reportSegments(const Segmentation& segments, const UsablePoints& points,
                                   const Eigen::VectorXd& x, int modelParameters, FitReport& report);

// Layer k of the layout ln rho_1..rho_K, ln thk_1..thk_(K-1) in x; a fixed value as given, marked held.
Layer blockLayer(const Eigen::VectorXd& x, int layers, int k, std::span<const FixedParameter> fixed);

// Bounds of the layout ln rho_1..rho_K, ln thk_1..thk_(K-1), ln f of `factors` segment factors:
// resistivities within a factor 1000 of the measured range, thicknesses from a twentieth of the shortest to
// five times the longest AB/2, factors from 0.02 to 50, all inside the modelling domain. `points` not empty.
void blockBounds(const UsablePoints& points, int layers, int factors, Eigen::VectorXd& lower,
                 Eigen::VectorXd& upper);

} // namespace model
