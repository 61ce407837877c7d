#pragma once

#include <Eigen/Core>

#include <vector>

#include "model/SoundingData.h"

namespace model {

// Starting models of a K-layer fit as log parameters (ln rho_1..rho_K, ln thk_1..thk_(K-1)). Internal to
// the fitting code.

// K equal parts of the log AB/2 range, each part's mean log resistivity, interfaces at depth AB/2 / 2.5 at
// the parts' borders.
Eigen::VectorXd shapeStart(const UsablePoints& points, int layers);

// Models of the curve's shape for a family of interface depths: the first interface at six depths from
// half the shortest to a quarter of the longest AB/2, each next one 3 or 10 times deeper; the top layer
// takes the first measured resistivity, the half-space the last, a layer between the resistivity measured
// at AB/2 = 2.5 times its mid-depth.
std::vector<Eigen::VectorXd> curveStarts(const UsablePoints& points, int layers);

// `count` seeded random models: resistivities over the measured range widened by e either way, interfaces
// log-uniform between a fifth of the shortest and five times the longest AB/2.
std::vector<Eigen::VectorXd> randomStarts(const UsablePoints& points, int layers, int count, unsigned seed);

// The models of K + 1 layers that reproduce a K-layer model: each layer split in two equal halves, and the
// half-space split at half and at twice the depth of the deepest interface.
std::vector<Eigen::VectorXd> splitStarts(const Eigen::VectorXd& model, int layers);

} // namespace model
