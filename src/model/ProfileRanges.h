#pragma once

#include <Eigen/Core>

#include <optional>
#include <vector>

#include "model/BlockProblem.h"

namespace model {

// A range of one log parameter; a side that reaches the fit's own bound is empty.
struct LogRange {
    std::optional<double> low;
    std::optional<double> high;
};

// The 95 % profile range of each free parameter listed in `which` (indices into the free vector): the
// values v for which the best fit with that parameter held at v, all other free parameters fitted again,
// has a sum of squares S(v) <= S_best (1 + F / (n - p)), n the points, p the free parameters, F the 95 %
// point of the F distribution with 1 and n - p degrees of freedom. With no degree of freedom left, every
// side is open.
std::vector<LogRange> profileRanges(const BlockProblem& problem, const Eigen::VectorXd& best, double bestCost,
                                    const std::vector<int>& which);

} // namespace model
