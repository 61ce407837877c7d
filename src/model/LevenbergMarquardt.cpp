#include "model/LevenbergMarquardt.h"

#include <Eigen/Dense>

#include <cmath>
#include <limits>

namespace model {

namespace {

constexpr double kDifferenceStep = 1e-6;
// A step that lowers the sum of squares by less than this fraction ends the run.
constexpr double kRelativeDecrease = 1e-7;
constexpr double kMaxDamping = 1e12;

} // namespace

LevenbergMarquardt::LevenbergMarquardt(Residuals residuals, Eigen::Index residualCount, Eigen::VectorXd lower,
                                       Eigen::VectorXd upper)
    : residuals_(std::move(residuals)), count_(residualCount), lower_(std::move(lower)),
      upper_(std::move(upper)) {}

LevenbergMarquardt::Result LevenbergMarquardt::minimise(Eigen::VectorXd start, int maxIterations) const {
    const Eigen::Index n = start.size();
    Result result;
    result.x = start.cwiseMax(lower_).cwiseMin(upper_);
    Eigen::VectorXd r(count_);
    Eigen::VectorXd trialR(count_);
    if (!residuals_(result.x, r)) {
        result.sumOfSquares = std::numeric_limits<double>::infinity();
        return result;
    }
    double cost = r.squaredNorm();
    Eigen::MatrixXd jacobian(count_, n);
    Eigen::VectorXd shifted(n);
    Eigen::VectorXd column(count_);
    double damping = 1e-3;
    for (int iteration = 1; iteration <= maxIterations; ++iteration) {
        result.iterations = iteration;
        // Forward differences, stepping inwards at an upper bound.
        for (Eigen::Index j = 0; j < n; ++j) {
            shifted = result.x;
            const double h = shifted[j] + kDifferenceStep > upper_[j] ? -kDifferenceStep : kDifferenceStep;
            shifted[j] += h;
            if (!residuals_(shifted, column))
                return result;
            jacobian.col(j) = (column - r) / h;
        }
        const Eigen::MatrixXd normal = jacobian.transpose() * jacobian;
        const Eigen::VectorXd gradient = jacobian.transpose() * r;
        const Eigen::VectorXd scale = normal.diagonal().cwiseMax(1e-12);
        // A parameter at a bound that the descent direction pushes outwards is held for this iteration;
        // clamping its step instead would spoil the step of the others.
        Eigen::VectorXd held = Eigen::VectorXd::Zero(n);
        for (Eigen::Index j = 0; j < n; ++j)
            if ((result.x[j] <= lower_[j] && gradient[j] > 0.0) ||
                (result.x[j] >= upper_[j] && gradient[j] < 0.0))
                held[j] = 1.0;
        bool accepted = false;
        while (!accepted && damping < kMaxDamping) {
            Eigen::MatrixXd damped = normal;
            damped.diagonal() += damping * scale;
            Eigen::VectorXd rhs = -gradient;
            for (Eigen::Index j = 0; j < n; ++j)
                if (held[j] != 0.0) {
                    damped.row(j).setZero();
                    damped.col(j).setZero();
                    damped(j, j) = 1.0;
                    rhs[j] = 0.0;
                }
            const Eigen::VectorXd step = damped.ldlt().solve(rhs);
            const Eigen::VectorXd trial = (result.x + step).cwiseMax(lower_).cwiseMin(upper_);
            const double trialCost =
                residuals_(trial, trialR) ? trialR.squaredNorm() : std::numeric_limits<double>::infinity();
            if (trialCost < cost) {
                const double decrease = cost - trialCost;
                const double moved = (trial - result.x).cwiseAbs().maxCoeff();
                result.x = trial;
                r = trialR;
                cost = trialCost;
                damping = std::max(damping / 3.0, 1e-9);
                accepted = true;
                if (decrease <= kRelativeDecrease * cost || moved < 1e-9) {
                    result.converged = true;
                    result.sumOfSquares = cost;
                    return result;
                }
            } else {
                damping *= 4.0;
            }
        }
        if (!accepted) {
            // No step down at any damping: a minimum within the bounds.
            result.converged = true;
            break;
        }
    }
    result.sumOfSquares = cost;
    return result;
}

} // namespace model
