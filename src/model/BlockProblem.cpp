#include "model/BlockProblem.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace model {

namespace {

// Iterations of the first run from each start, and how many of the best runs then go on to convergence.
constexpr int kShortRun = 12;
constexpr std::size_t kPolished = 3;
// All starting models are ranked by their misfit; this many of the best get the short run.
constexpr std::size_t kScreened = 8;

} // namespace

BlockProblem::BlockProblem(const LogResidual& residual, std::vector<std::optional<double>> held,
                           Eigen::VectorXd lower, Eigen::VectorXd upper)
    : residual_(residual), held_(std::move(held)), lowerFull_(std::move(lower)),
      upperFull_(std::move(upper)) {
    for (std::size_t i = 0; i < held_.size(); ++i) {
        if (held_[i]) {
            lowerFull_[static_cast<Eigen::Index>(i)] = upperFull_[static_cast<Eigen::Index>(i)] = *held_[i];
        } else {
            freeIndex_.push_back(static_cast<int>(i));
        }
    }
    lower_ = restrict(lowerFull_);
    upper_ = restrict(upperFull_);
}

Eigen::VectorXd BlockProblem::expand(const Eigen::VectorXd& free) const {
    Eigen::VectorXd full(static_cast<Eigen::Index>(held_.size()));
    for (std::size_t i = 0; i < held_.size(); ++i)
        if (held_[i])
            full[static_cast<Eigen::Index>(i)] = *held_[i];
    for (std::size_t j = 0; j < freeIndex_.size(); ++j)
        full[freeIndex_[j]] = free[static_cast<Eigen::Index>(j)];
    return full;
}

Eigen::VectorXd BlockProblem::restrict(const Eigen::VectorXd& full) const {
    Eigen::VectorXd x(freeCount());
    for (std::size_t j = 0; j < freeIndex_.size(); ++j)
        x[static_cast<Eigen::Index>(j)] = full[freeIndex_[j]];
    return x;
}

LevenbergMarquardt::Residuals BlockProblem::residuals(const Eigen::VectorXd& at,
                                                      std::vector<int> kept) const {
    if (kept.empty())
        return [this](const Eigen::VectorXd& x, Eigen::VectorXd& r, Eigen::MatrixXd* jacobian) {
            if (!jacobian)
                return residual_(expand(x), r);
            Eigen::MatrixXd all;
            if (!residual_(expand(x), r, &all))
                return false;
            jacobian->resize(r.size(), freeCount());
            for (std::size_t j = 0; j < freeIndex_.size(); ++j)
                jacobian->col(static_cast<Eigen::Index>(j)) = all.col(freeIndex_[j]);
            return true;
        };
    return [this, at, kept = std::move(kept)](const Eigen::VectorXd& y, Eigen::VectorXd& r,
                                              Eigen::MatrixXd* jacobian) {
        Eigen::VectorXd x = at;
        for (std::size_t k = 0; k < kept.size(); ++k)
            x[kept[k]] = y[static_cast<Eigen::Index>(k)];
        if (!jacobian)
            return residual_(expand(x), r);
        Eigen::MatrixXd all;
        if (!residual_(expand(x), r, &all))
            return false;
        jacobian->resize(r.size(), static_cast<Eigen::Index>(kept.size()));
        for (std::size_t k = 0; k < kept.size(); ++k)
            jacobian->col(static_cast<Eigen::Index>(k)) =
                all.col(freeIndex_[static_cast<std::size_t>(kept[k])]);
        return true;
    };
}

double BlockProblem::cost(const Eigen::VectorXd& x) const {
    Eigen::VectorXd r;
    return residual_(expand(x), r) ? r.squaredNorm() : std::numeric_limits<double>::infinity();
}

BlockProblem::Fit BlockProblem::fit(std::vector<Eigen::VectorXd> starts, int maxIterations) const {
    Fit best;
    best.cost = std::numeric_limits<double>::infinity();
    if (freeCount() == 0) {
        best.x = Eigen::VectorXd(0);
        best.cost = cost(best.x);
        best.outcome = std::isfinite(best.cost) ? LevenbergMarquardt::Outcome::Converged
                                                : LevenbergMarquardt::Outcome::NotEvaluable;
        return best;
    }
    const LevenbergMarquardt lm(residuals(), lower_, upper_);
    // Rank the starts by their misfit (stable: ties keep their order).
    std::vector<std::pair<double, std::size_t>> ranked;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        starts[i] = restrict(starts[i].cwiseMax(lowerFull_).cwiseMin(upperFull_));
        ranked.emplace_back(cost(starts[i]), i);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<LevenbergMarquardt::Result> trials;
    for (std::size_t t = 0; t < ranked.size() && t < kScreened; ++t)
        trials.push_back(lm.minimise(starts[ranked[t].second], std::min(kShortRun, maxIterations)));
    std::stable_sort(trials.begin(), trials.end(),
                     [](const auto& a, const auto& b) { return a.sumOfSquares < b.sumOfSquares; });
    for (std::size_t t = 0; t < trials.size() && t < kPolished; ++t) {
        LevenbergMarquardt::Result run = trials[t];
        if (run.outcome == LevenbergMarquardt::Outcome::IterationLimit && maxIterations > run.iterations) {
            const int used = run.iterations;
            run = lm.minimise(run.x, maxIterations - used);
            run.iterations += used;
        }
        if (run.sumOfSquares < best.cost) {
            best.x = run.x;
            best.cost = run.sumOfSquares;
            best.iterations = run.iterations;
            best.outcome = run.outcome;
        }
    }
    return best;
}

} // namespace model
