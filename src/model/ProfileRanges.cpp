#include "model/ProfileRanges.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/FDistribution.h"

namespace model {

namespace {

constexpr double kConfidence = 0.95;
// Iterations of each profile fit, marching steps outwards, and refinement steps between the last value
// inside and the first outside.
constexpr int kProfileIterations = 40;
constexpr int kMarchSteps = 40;
constexpr int kRefineSteps = 10;
// The end of a range is refined to this width, in ln units (about 0.2 %).
constexpr double kTolerance = 2e-3;

// The profile of one free parameter: S(v) with the others fitted again, warm-started.
class Profile {
public:
    Profile(const BlockProblem& problem, int which) : problem_(problem), which_(which) {
        for (Eigen::Index j = 0; j < problem.freeCount(); ++j)
            if (j != which)
                kept_.push_back(static_cast<int>(j));
        lower_.resize(static_cast<Eigen::Index>(kept_.size()));
        upper_.resize(static_cast<Eigen::Index>(kept_.size()));
        for (std::size_t k = 0; k < kept_.size(); ++k) {
            lower_[static_cast<Eigen::Index>(k)] = problem.lower()[kept_[k]];
            upper_[static_cast<Eigen::Index>(k)] = problem.upper()[kept_[k]];
        }
    }

    // The least sum of squares with the parameter at v, from the other parameters of `warm`, which
    // then holds the solution.
    double at(double v, Eigen::VectorXd& warm) const {
        warm[which_] = v;
        if (kept_.empty())
            return problem_.cost(warm);
        Eigen::VectorXd y(static_cast<Eigen::Index>(kept_.size()));
        for (std::size_t k = 0; k < kept_.size(); ++k)
            y[static_cast<Eigen::Index>(k)] = warm[kept_[k]];
        const LevenbergMarquardt lm(problem_.residuals(warm, kept_), lower_, upper_);
        const LevenbergMarquardt::Result result = lm.minimise(y, kProfileIterations);
        for (std::size_t k = 0; k < kept_.size(); ++k)
            warm[kept_[k]] = result.x[static_cast<Eigen::Index>(k)];
        return result.sumOfSquares;
    }

private:
    const BlockProblem& problem_;
    int which_;
    std::vector<int> kept_;
    Eigen::VectorXd lower_, upper_;
};

// One side of the range: marches from the best value in `direction` with doubling steps until S exceeds
// the threshold, then closes in on the crossing with the square root of S - S_best, nearly linear in v.
std::optional<double> rangeEnd(const Profile& profile, const Eigen::VectorXd& best, double bestCost,
                               double threshold, int which, double firstStep, double bound,
                               double direction) {
    double inside = best[which];
    double insideCost = bestCost;
    Eigen::VectorXd insideWarm = best;
    double outside = 0.0;
    double outsideCost = 0.0;
    double step = firstStep;
    bool crossed = false;
    for (int m = 0; m < kMarchSteps && !crossed; ++m) {
        double v = inside + direction * step;
        const bool atBound = direction > 0 ? v >= bound : v <= bound;
        if (atBound)
            v = bound;
        Eigen::VectorXd warm = insideWarm;
        const double cost = profile.at(v, warm);
        if (cost <= threshold) {
            if (atBound)
                return std::nullopt;
            inside = v;
            insideCost = cost;
            insideWarm = std::move(warm);
            step *= 2.0;
        } else {
            outside = v;
            outsideCost = cost;
            crossed = true;
        }
    }
    if (!crossed)
        return std::nullopt;
    const double target = std::sqrt(threshold - bestCost);
    auto root = [&](double c) { return std::sqrt(std::max(c - bestCost, 0.0)); };
    for (int k = 0; k < kRefineSteps && std::abs(outside - inside) > kTolerance; ++k) {
        double fraction = 0.5;
        if (std::isfinite(outsideCost)) {
            const double a = root(insideCost);
            const double b = root(outsideCost);
            if (b > a)
                fraction = std::clamp((target - a) / (b - a), 0.1, 0.9);
        }
        const double v = inside + fraction * (outside - inside);
        Eigen::VectorXd warm = insideWarm;
        const double cost = profile.at(v, warm);
        if (cost <= threshold) {
            inside = v;
            insideCost = cost;
            insideWarm = std::move(warm);
        } else {
            outside = v;
            outsideCost = cost;
        }
    }
    if (!std::isfinite(outsideCost))
        return inside;
    const double a = root(insideCost);
    const double b = root(outsideCost);
    return b > a ? inside + std::clamp((target - a) / (b - a), 0.0, 1.0) * (outside - inside) : inside;
}

} // namespace

std::vector<LogRange> profileRanges(const BlockProblem& problem, const Eigen::VectorXd& best, double bestCost,
                                    const std::vector<int>& which) {
    std::vector<LogRange> ranges(which.size());
    const double freedom = static_cast<double>(problem.points() - problem.freeCount());
    if (freedom < 1.0 || !std::isfinite(bestCost))
        return ranges;
    const double threshold = bestCost * (1.0 + fQuantile(kConfidence, 1.0, freedom) / freedom);
    // The linearised covariance gives the first step of each march.
    Eigen::VectorXd r;
    Eigen::MatrixXd jacobian;
    Eigen::VectorXd width = Eigen::VectorXd::Constant(problem.freeCount(), 0.5);
    if (problem.residuals()(best, r, &jacobian)) {
        const Eigen::MatrixXd normal = jacobian.transpose() * jacobian;
        const Eigen::MatrixXd inverse = normal.completeOrthogonalDecomposition().pseudoInverse();
        for (Eigen::Index j = 0; j < width.size(); ++j) {
            const double w = std::sqrt(std::max(inverse(j, j), 0.0) * (threshold - bestCost));
            width[j] = std::isfinite(w) ? std::clamp(w, 0.01, 2.0) : 0.5;
        }
    }
    for (std::size_t k = 0; k < which.size(); ++k) {
        const int j = which[k];
        const Profile profile(problem, j);
        ranges[k].low = rangeEnd(profile, best, bestCost, threshold, j, width[j], problem.lower()[j], -1.0);
        ranges[k].high = rangeEnd(profile, best, bestCost, threshold, j, width[j], problem.upper()[j], 1.0);
    }
    return ranges;
}

} // namespace model
