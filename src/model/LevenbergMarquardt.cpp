#include "model/LevenbergMarquardt.h"

#include <Eigen/Dense>

#include <cmath>
#include <limits>

namespace model {

namespace {

constexpr double kDifferenceStep = 1e-6;
// Converged: this many accepted steps in a row each lowered the sum of squares by less than this fraction,
// at a damping where the step is close to the Gauss-Newton one.
constexpr double kRelativeDecrease = 1e-7;
constexpr int kSmallSteps = 2;
constexpr double kModestDamping = 1.0;
// Converged: no component of the gradient that the bounds leave free exceeds this.
constexpr double kGradientTolerance = 1e-10;
constexpr double kMaxDamping = 1e12;

// The largest component of the gradient at x that the bounds leave free; `held` marks (1) the components
// that push against an active bound.
double projectedGradient(const Eigen::VectorXd& x, const Eigen::VectorXd& gradient,
                         const Eigen::VectorXd& lower, const Eigen::VectorXd& upper, Eigen::VectorXd& held) {
    const Eigen::Index n = x.size();
    held.setZero(n);
    double largest = 0.0;
    for (Eigen::Index j = 0; j < n; ++j) {
        if ((x[j] <= lower[j] && gradient[j] > 0.0) || (x[j] >= upper[j] && gradient[j] < 0.0))
            held[j] = 1.0;
        else
            largest = std::max(largest, std::abs(gradient[j]));
    }
    return largest;
}

// The step of the normal equations with `damping` added to their diagonal. A parameter at a bound that the
// descent direction pushes outwards is held for this iteration; clamping its step instead would spoil the
// step of the others.
Eigen::VectorXd dampedStep(const Eigen::MatrixXd& normal, const Eigen::VectorXd& gradient,
                           const Eigen::VectorXd& held, const Eigen::VectorXd& damping) {
    Eigen::MatrixXd damped = normal;
    damped.diagonal() += damping;
    Eigen::VectorXd rhs = -gradient;
    for (Eigen::Index j = 0; j < normal.rows(); ++j)
        if (held[j] != 0.0) {
            damped.row(j).setZero();
            damped.col(j).setZero();
            damped(j, j) = 1.0;
            rhs[j] = 0.0;
        }
    return damped.ldlt().solve(rhs);
}

} // namespace

LevenbergMarquardt::LevenbergMarquardt(Residuals residuals, Eigen::VectorXd lower, Eigen::VectorXd upper)
    : residuals_(std::move(residuals)), lower_(std::move(lower)), upper_(std::move(upper)) {}

LevenbergMarquardt::LevenbergMarquardt(PlainResiduals plain, Eigen::VectorXd lower, Eigen::VectorXd upper)
    : lower_(std::move(lower)), upper_(std::move(upper)) {
    residuals_ = [plain = std::move(plain), upper = upper_,
                  lower = lower_](const Eigen::VectorXd& x, Eigen::VectorXd& r, Eigen::MatrixXd* jacobian) {
        if (!plain(x, r))
            return false;
        if (!jacobian)
            return true;
        jacobian->resize(r.size(), x.size());
        Eigen::VectorXd shifted = x;
        Eigen::VectorXd column;
        for (Eigen::Index j = 0; j < x.size(); ++j) {
            // Step inwards at an upper bound; a failed probe tries the other side.
            double h = x[j] + kDifferenceStep > upper[j] ? -kDifferenceStep : kDifferenceStep;
            shifted[j] = x[j] + h;
            bool ok = plain(shifted, column);
            if (!ok && x[j] - h >= lower[j] && x[j] - h <= upper[j]) {
                h = -h;
                shifted[j] = x[j] + h;
                ok = plain(shifted, column);
            }
            shifted[j] = x[j];
            if (!ok || column.size() != r.size())
                return false;
            jacobian->col(j) = (column - r) / h;
        }
        return true;
    };
}

LevenbergMarquardt::Result LevenbergMarquardt::minimise(Eigen::VectorXd start, int maxIterations) const {
    const Eigen::Index n = start.size();
    Result result;
    result.x = start.cwiseMax(lower_).cwiseMin(upper_);
    Eigen::VectorXd r;
    Eigen::MatrixXd jacobian;
    if (!residuals_(result.x, r, &jacobian) || !r.allFinite() || !jacobian.allFinite()) {
        result.sumOfSquares = std::numeric_limits<double>::infinity();
        result.outcome = Outcome::NotEvaluable;
        return result;
    }
    double cost = r.squaredNorm();
    result.sumOfSquares = cost;
    Eigen::VectorXd trialR;
    Eigen::VectorXd scale = Eigen::VectorXd::Constant(n, 1e-12);
    double damping = 1e-3;
    int smallSteps = 0;
    Eigen::VectorXd held;
    result.outcome = Outcome::IterationLimit;
    for (int iteration = 1; iteration <= maxIterations; ++iteration) {
        result.iterations = iteration;
        const Eigen::MatrixXd normal = jacobian.transpose() * jacobian;
        const Eigen::VectorXd gradient = jacobian.transpose() * r;
        if (projectedGradient(result.x, gradient, lower_, upper_, held) <= kGradientTolerance) {
            result.outcome = Outcome::Converged;
            return result;
        }
        // Marquardt's scaling, kept from the largest seen so that it cannot collapse near a bound.
        scale = scale.cwiseMax(normal.diagonal());
        bool accepted = false;
        while (!accepted && damping < kMaxDamping) {
            const Eigen::VectorXd step = dampedStep(normal, gradient, held, damping * scale);
            const Eigen::VectorXd trial = (result.x + step).cwiseMax(lower_).cwiseMin(upper_);
            double trialCost = std::numeric_limits<double>::infinity();
            if (step.allFinite() && residuals_(trial, trialR, nullptr) && trialR.allFinite())
                trialCost = trialR.squaredNorm();
            if (trialCost < cost) {
                Eigen::MatrixXd trialJacobian;
                if (!residuals_(trial, trialR, &trialJacobian) || !trialJacobian.allFinite()) {
                    damping *= 4.0; // the derivatives fail there: treat it as a failed step
                    continue;
                }
                const double decrease = (cost - trialCost) / cost;
                smallSteps = decrease < kRelativeDecrease && damping <= kModestDamping ? smallSteps + 1 : 0;
                result.x = trial;
                r = trialR;
                jacobian = std::move(trialJacobian);
                cost = trialCost;
                result.sumOfSquares = cost;
                damping = std::max(damping / 3.0, 1e-9);
                accepted = true;
            } else {
                damping *= 4.0;
            }
        }
        if (!accepted) {
            // No step down at any damping: a minimum only if the gradient is at rounding level there.
            const Eigen::VectorXd gradient = jacobian.transpose() * r;
            const double largest = projectedGradient(result.x, gradient, lower_, upper_, held);
            result.outcome =
                largest <= 1e-6 * std::max(1.0, std::sqrt(cost)) ? Outcome::Converged : Outcome::NoDescent;
            return result;
        }
        if (smallSteps >= kSmallSteps || cost == 0.0) {
            result.outcome = Outcome::Converged;
            return result;
        }
    }
    return result;
}

} // namespace model
