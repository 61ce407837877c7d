#pragma once

#include <Eigen/Core>

#include <functional>

namespace model {

// Damped least squares (Levenberg-Marquardt with Marquardt's scaling) of a residual vector over box-bounded
// parameters. Internal to the fitting code.
class LevenbergMarquardt {
public:
    // Fills the residuals r for parameters x and, when `jacobian` is not null, dr/dx (rows: residuals);
    // false when the model cannot be evaluated at x.
    using Residuals =
        std::function<bool(const Eigen::VectorXd& x, Eigen::VectorXd& r, Eigen::MatrixXd* jacobian)>;
    // Residuals alone; the Jacobian is then taken by forward differences.
    using PlainResiduals = std::function<bool(const Eigen::VectorXd& x, Eigen::VectorXd& r)>;

    enum class Outcome {
        Converged,      // the sum of squares no longer falls, or the projected gradient vanishes
        IterationLimit, // stopped by the iteration count while still descending
        NoDescent,      // no step lowers the sum of squares, although the gradient does not vanish
        NotEvaluable,   // the model cannot be evaluated at the start
    };

    struct Result {
        Eigen::VectorXd x;
        double sumOfSquares = 0.0; // of the residuals at x, always; infinite only when NotEvaluable
        int iterations = 0;
        Outcome outcome = Outcome::NotEvaluable;
        bool converged() const { return outcome == Outcome::Converged; }
    };

    LevenbergMarquardt(Residuals residuals, Eigen::VectorXd lower, Eigen::VectorXd upper);
    LevenbergMarquardt(PlainResiduals residuals, Eigen::VectorXd lower, Eigen::VectorXd upper);

    Result minimise(Eigen::VectorXd start, int maxIterations) const;

private:
    Residuals residuals_;
    Eigen::VectorXd lower_;
    Eigen::VectorXd upper_;
};

} // namespace model
