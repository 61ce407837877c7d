#include "model/SmoothInversion.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "model/BlockSetup.h"
#include "model/ChargeabilityFit.h"
#include "model/LogResidual.h"
#include "model/SchlumbergerForward.h"

namespace model {

namespace {

constexpr int kMinInterfaces = 8;
constexpr int kMaxInterfaces = 40;
constexpr double kInterfacesPerDecade = 6.0;
// Regularisation weights tried at every step, from smooth to rough.
constexpr int kWeights = 17;
constexpr double kLargestWeight = 1e4;
constexpr double kWeightRatio = 0.316227766; // sqrt(1/10)
// Misfit the best-attainable target allows above the least misfit found.
constexpr double kTargetMargin = 1.05;

// The number of interfaces: as given, or about six a decade of depth between `top` and `bottom`.
int interfaceCount(int given, double top, double bottom) {
    int interfaces = given;
    if (interfaces <= 0)
        interfaces = std::clamp(static_cast<int>(std::ceil(kInterfacesPerDecade * std::log10(bottom / top))),
                                kMinInterfaces, kMaxInterfaces);
    return std::min(interfaces, kMaxInterfaces);
}

// Full log parameter vector of the start: the mean log apparent resistivity in every layer, then the fixed
// log thicknesses whose interfaces are spaced evenly in log depth from `top` to `bottom`.
Eigen::VectorXd startingModel(const UsablePoints& points, int interfaces, double top, double bottom) {
    const int layers = interfaces + 1;
    Eigen::VectorXd full(2 * layers - 1);
    double above = 0.0;
    for (int k = 0; k < interfaces; ++k) {
        const double depth = interfaces == 1 ? top : top * std::pow(bottom / top, k / (interfaces - 1.0));
        full[layers + k] = std::log(depth - above);
        above = depth;
    }
    double meanLog = 0.0;
    for (double rho : points.rhoa)
        meanLog += std::log(rho);
    meanLog /= static_cast<double>(points.size());
    full.head(layers).setConstant(meanLog);
    return full;
}

// R^T R of the first differences R of the layers' log resistivities.
Eigen::MatrixXd roughnessNormal(int layers) {
    Eigen::MatrixXd roughness = Eigen::MatrixXd::Zero(layers - 1, layers);
    for (int k = 0; k + 1 < layers; ++k) {
        roughness(k, k) = -1.0;
        roughness(k, k + 1) = 1.0;
    }
    return roughness.transpose() * roughness;
}

// The model a step moves to, with its residuals and RMS; `reached` when it meets the target.
struct SmoothStep {
    Eigen::VectorXd model;
    Eigen::VectorXd r;
    double rms = std::numeric_limits<double>::infinity();
    bool reached = false;
};

// The regularised Gauss-Newton steps of the log resistivities of the layers (the thicknesses fixed).
class SmoothProblem {
public:
    SmoothProblem(const LogResidual& residual, int layers, Eigen::Index count, double lower, double upper)
        : residual_(residual), layers_(layers), count_(count), roughnessNormal_(roughnessNormal(layers)),
          lower_(lower), upper_(upper) {}

    double rmsOf(const Eigen::VectorXd& r) const { return 100.0 * std::sqrt(r.squaredNorm() / count_); }

    // The next model from `full` (residuals r, Jacobian of the resistivities `jacobian`): the smoothest
    // candidate that reaches a known target, or else the one of least misfit (`reached` false).
    SmoothStep step(const Eigen::VectorXd& full, const Eigen::VectorXd& r, const Eigen::MatrixXd& jacobian,
                    bool targetKnown, double target) const {
        // Gauss-Newton for the model itself: r(m') ~ r(m) + J (m' - m), minimise |r|^2 + w |R m'|^2.
        const Eigen::VectorXd m = full.head(layers_);
        const std::vector<Eigen::VectorXd> candidates = candidatesOf(m, r, jacobian);
        Eigen::VectorXd trialR(count_);
        SmoothStep best{m, r};
        SmoothStep smoothest;
        // Once the target is known, the smoothest model whose linearised misfit |r + J (m' - m)| reaches it
        // is evaluated first; only when it does not keep its promise is every candidate evaluated.
        for (std::size_t c = 0; c < candidates.size() && targetKnown; ++c) {
            if (!candidates[c].allFinite() || rmsOf(r + jacobian * (candidates[c] - m)) > target)
                continue;
            Eigen::VectorXd trial = full;
            trial.head(layers_) = candidates[c];
            if (residual_(trial, trialR) && rmsOf(trialR) <= target)
                smoothest = {candidates[c], trialR, rmsOf(trialR), true};
            break;
        }
        for (std::size_t c = 0; c < candidates.size() && !smoothest.reached; ++c) {
            const Eigen::VectorXd& candidate = candidates[c];
            Eigen::VectorXd trial = full;
            trial.head(layers_) = candidate;
            if (!candidate.allFinite() || !residual_(trial, trialR))
                continue;
            const double trialRms = rmsOf(trialR);
            if (trialRms < best.rms)
                best = {candidate, trialR, trialRms, false};
            if (targetKnown && trialRms <= target && !smoothest.reached)
                smoothest = {candidate, trialR, trialRms, true};
        }
        return smoothest.reached ? smoothest : best;
    }

private:
    // The solutions for the regularisation weights, from smooth to rough, within the bounds.
    std::vector<Eigen::VectorXd> candidatesOf(const Eigen::VectorXd& m, const Eigen::VectorXd& r,
                                              const Eigen::MatrixXd& jacobian) const {
        const Eigen::MatrixXd normal = jacobian.transpose() * jacobian;
        const Eigen::VectorXd rhs = normal * m - jacobian.transpose() * r;
        std::vector<Eigen::VectorXd> candidates;
        double weight = kLargestWeight;
        for (int w = 0; w < kWeights; ++w, weight *= kWeightRatio)
            candidates.push_back(
                (normal + weight * roughnessNormal_).ldlt().solve(rhs).cwiseMax(lower_).cwiseMin(upper_));
        return candidates;
    }

    const LogResidual& residual_;
    int layers_;
    Eigen::Index count_;
    Eigen::MatrixXd roughnessNormal_;
    double lower_, upper_;
};

// The layers of the full log parameter vector; every thickness is held.
LayeredModel smoothLayers(const Eigen::VectorXd& full, int layers) {
    LayeredModel model;
    for (int k = 0; k < layers; ++k) {
        Layer layer = blockLayer(full, layers, k, {});
        layer.fixedThk = k + 1 < layers;
        model.layers.push_back(layer);
    }
    return model;
}

} // namespace

FitResult fitSmoothModel(const SoundingData& data, const SmoothFitOptions& options) {
    FitResult result;
    FitReport& report = result.report;
    report.error = maskOutsideStation(data, options.mask);
    if (!report.ok())
        return result;
    const UsablePoints points = UsablePoints::of(data, options.ideal, options.mask);
    report.masked = options.mask;
    report.pointsUsed = static_cast<int>(points.size());
    if (points.size() < 2) {
        report.error = "Too few usable points (" + std::to_string(points.size()) + ") for a smooth model.";
        return result;
    }
    const auto [ab2Min, ab2Max] = std::minmax_element(points.ab2.begin(), points.ab2.end());
    const double top = *ab2Min / 3.0;
    const double bottom = *ab2Max;
    if (!(bottom > top)) {
        report.error = "The AB/2 values span too little for a smooth model.";
        return result;
    }
    const int interfaces = interfaceCount(options.interfaces, top, bottom);
    const int layers = interfaces + 1;
    Eigen::VectorXd full = startingModel(points, interfaces, top, bottom);
    const auto [rhoMin, rhoMax] = std::minmax_element(points.rhoa.begin(), points.rhoa.end());

    const SchlumbergerForward forward(points.ab2, points.mn2);
    const LogResidual residual(forward, points.rhoa, layers);
    const auto count = static_cast<Eigen::Index>(points.size());
    const SmoothProblem problem(residual, layers, count, std::log(*rhoMin / 1000.0),
                                std::log(*rhoMax * 1000.0));

    Eigen::VectorXd r(count);
    if (!residual(full, r)) {
        report.error = "The model could not be evaluated for this sounding.";
        return result;
    }
    double rms = problem.rmsOf(r);
    double target = options.targetRmsPercent > 0.0 ? options.targetRmsPercent : 0.0;
    bool targetKnown = target > 0.0;
    double leastRms = rms;
    Eigen::MatrixXd all;
    int iteration = 0;
    for (iteration = 1; iteration <= options.maxIterations; ++iteration) {
        if (!residual(full, r, &all)) {
            report.error = "The model could not be evaluated for this sounding.";
            return result;
        }
        const SmoothStep next = problem.step(full, r, all.leftCols(layers), targetKnown, target);
        if (!next.reached && !(next.rms < rms)) {
            // Nothing lowers the misfit: the best attainable is reached.
            if (!targetKnown) {
                target = kTargetMargin * leastRms;
                targetKnown = true;
                continue;
            }
            report.converged = true;
            break;
        }
        const double change = (next.model - full.head(layers)).cwiseAbs().maxCoeff();
        const double previousRms = rms;
        full.head(layers) = next.model;
        r = next.r;
        rms = next.rms;
        leastRms = std::min(leastRms, rms);
        if (!targetKnown && previousRms - rms < 0.01 * previousRms) {
            target = kTargetMargin * leastRms;
            targetKnown = true;
        } else if (next.reached && change < 1e-3) {
            report.converged = true;
            break;
        }
    }
    report.iterations = std::min(iteration, options.maxIterations);
    result.model = smoothLayers(full, layers);
    fillResponse(forward, points, result.model, report);
    if (options.chargeability)
        fitChargeability(data, options.ideal, result.model, report, options.mask);
    return result;
}

} // namespace model
