#pragma once

#include <Eigen/Core>

namespace model {

// Non-negative least squares: min |A x - b| subject to x >= 0 (Lawson and Hanson's active set method,
// each subproblem solved by Eigen's QR). Internal to the fitting code.
Eigen::VectorXd nonNegativeLeastSquares(const Eigen::MatrixXd& a, const Eigen::VectorXd& b);

} // namespace model
