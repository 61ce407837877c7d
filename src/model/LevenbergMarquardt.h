#pragma once

#include <Eigen/Core>

#include <functional>

namespace model {

// Damped least squares (Levenberg-Marquardt with Marquardt's scaling) of a residual vector over box-bounded
// parameters, with a forward-difference Jacobian. Internal to the fitting code.
class LevenbergMarquardt {
public:
    // Fills the residuals for parameters x; false when the model cannot be evaluated.
    using Residuals = std::function<bool(const Eigen::VectorXd& x, Eigen::VectorXd& r)>;

    struct Result {
        Eigen::VectorXd x;
        double sumOfSquares = 0.0;
        int iterations = 0;
        bool converged = false;
    };

    LevenbergMarquardt(Residuals residuals, Eigen::Index residualCount, Eigen::VectorXd lower,
                       Eigen::VectorXd upper);

    Result minimise(Eigen::VectorXd start, int maxIterations) const;

private:
    Residuals residuals_;
    Eigen::Index count_;
    Eigen::VectorXd lower_;
    Eigen::VectorXd upper_;
};

} // namespace model
