#pragma once

#include <Eigen/Core>

#include <optional>
#include <vector>

#include "model/LevenbergMarquardt.h"
#include "model/LogResidual.h"

namespace model {

// A K-layer fit of a sounding's usable points as a bounded least-squares problem over the free log
// parameters: the layout ln rho_1..rho_K, ln thk_1..thk_(K-1), ln f of each fitted segment factor, with
// held values taken out. Internal to the fitting code; not thread-safe.
class BlockProblem {
public:
    struct Fit {
        Eigen::VectorXd x; // free parameters
        double cost = 0.0; // sum of squared residuals
        int iterations = 0;
        LevenbergMarquardt::Outcome outcome = LevenbergMarquardt::Outcome::NotEvaluable;
    };

    // held: per parameter of the full layout, the log value it is held at, or nothing when free.
    // lower/upper: bounds of the full layout.
    BlockProblem(const LogResidual& residual, std::vector<std::optional<double>> held, Eigen::VectorXd lower,
                 Eigen::VectorXd upper);

    Eigen::Index freeCount() const { return static_cast<Eigen::Index>(freeIndex_.size()); }
    Eigen::Index points() const { return residual_.points(); }
    const std::vector<int>& freeIndex() const { return freeIndex_; }
    const Eigen::VectorXd& lower() const { return lower_; } // of the free parameters
    const Eigen::VectorXd& upper() const { return upper_; }

    Eigen::VectorXd expand(const Eigen::VectorXd& free) const;
    Eigen::VectorXd restrict(const Eigen::VectorXd& full) const;
    // The residuals over the free parameters, with all but `kept` of them (indices into the free vector)
    // held at the values of `at`; an empty `kept` keeps all free.
    LevenbergMarquardt::Residuals residuals(const Eigen::VectorXd& at = {}, std::vector<int> kept = {}) const;
    // Sum of squares at free parameters x; infinite when the model cannot be evaluated.
    double cost(const Eigen::VectorXd& x) const;

    // The best of the starts (full layout, clamped to the bounds): all ranked by misfit, the best few run
    // briefly, the best of those run to convergence.
    Fit fit(std::vector<Eigen::VectorXd> starts, int maxIterations) const;

private:
    const LogResidual& residual_;
    std::vector<std::optional<double>> held_;
    std::vector<int> freeIndex_;
    Eigen::VectorXd lowerFull_, upperFull_;
    Eigen::VectorXd lower_, upper_;
};

} // namespace model
