#include "model/SmoothInversion.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

} // namespace

FitResult fitSmoothModel(const SoundingData& data, const SmoothFitOptions& options) {
    FitResult result;
    FitReport& report = result.report;
    const std::size_t pointCount = std::min(data.ab2.size(), data.rhoa.size());
    for (std::size_t i : options.mask)
        if (i >= pointCount) {
            report.error = "Point " + std::to_string(i) + " cannot be masked: the station has " +
                           std::to_string(pointCount) + " points.";
            return result;
        }
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
    int interfaces = options.interfaces;
    if (interfaces <= 0)
        interfaces = std::clamp(static_cast<int>(std::ceil(kInterfacesPerDecade * std::log10(bottom / top))),
                                kMinInterfaces, kMaxInterfaces);
    interfaces = std::min(interfaces, kMaxInterfaces);
    const int layers = interfaces + 1;

    // Full log parameter vector: log rho of every layer, then the fixed log thicknesses.
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
    const auto [rhoMin, rhoMax] = std::minmax_element(points.rhoa.begin(), points.rhoa.end());
    const double lower = std::log(*rhoMin / 1000.0);
    const double upper = std::log(*rhoMax * 1000.0);

    const SchlumbergerForward forward(points.ab2, points.mn2);
    const LogResidual residual(forward, points.rhoa, layers);
    const auto count = static_cast<Eigen::Index>(points.size());
    auto rmsOf = [&](const Eigen::VectorXd& r) { return 100.0 * std::sqrt(r.squaredNorm() / count); };

    Eigen::MatrixXd roughness = Eigen::MatrixXd::Zero(layers - 1, layers);
    for (int k = 0; k + 1 < layers; ++k) {
        roughness(k, k) = -1.0;
        roughness(k, k + 1) = 1.0;
    }
    const Eigen::MatrixXd roughnessNormal = roughness.transpose() * roughness;

    Eigen::VectorXd r(count), trialR(count);
    if (!residual(full, r)) {
        report.error = "The model could not be evaluated for this sounding.";
        return result;
    }
    double rms = rmsOf(r);
    double target = options.targetRmsPercent > 0.0 ? options.targetRmsPercent : 0.0;
    bool targetKnown = target > 0.0;
    double leastRms = rms;
    Eigen::MatrixXd jacobian(count, layers);
    Eigen::MatrixXd all;
    int iteration = 0;
    for (iteration = 1; iteration <= options.maxIterations; ++iteration) {
        if (!residual(full, r, &all)) {
            report.error = "The model could not be evaluated for this sounding.";
            return result;
        }
        jacobian = all.leftCols(layers);
        // Gauss-Newton for the model itself: r(m') ~ r(m) + J (m' - m), minimise |r|^2 + w |R m'|^2.
        const Eigen::VectorXd m = full.head(layers);
        const Eigen::MatrixXd normal = jacobian.transpose() * jacobian;
        const Eigen::VectorXd rhs = normal * m - jacobian.transpose() * r;
        Eigen::VectorXd bestModel = m;
        Eigen::VectorXd bestR = r;
        double bestRms = std::numeric_limits<double>::infinity();
        Eigen::VectorXd smoothestModel, smoothestR;
        double smoothestRms = std::numeric_limits<double>::infinity();
        std::vector<Eigen::VectorXd> candidates;
        double weight = kLargestWeight;
        for (int w = 0; w < kWeights; ++w, weight *= kWeightRatio)
            candidates.push_back(
                (normal + weight * roughnessNormal).ldlt().solve(rhs).cwiseMax(lower).cwiseMin(upper));
        // Once the target is known, the smoothest model whose linearised misfit |r + J (m' - m)| reaches it
        // is evaluated first; only when it does not keep its promise is every candidate evaluated.
        for (std::size_t c = 0; c < candidates.size() && targetKnown; ++c) {
            if (!candidates[c].allFinite() || rmsOf(r + jacobian * (candidates[c] - m)) > target)
                continue;
            Eigen::VectorXd trial = full;
            trial.head(layers) = candidates[c];
            if (residual(trial, trialR) && rmsOf(trialR) <= target) {
                smoothestModel = candidates[c];
                smoothestR = trialR;
                smoothestRms = rmsOf(trialR);
            }
            break;
        }
        for (std::size_t c = 0; c < candidates.size() && smoothestModel.size() == 0; ++c) {
            const Eigen::VectorXd& candidate = candidates[c];
            Eigen::VectorXd trial = full;
            trial.head(layers) = candidate;
            if (!candidate.allFinite() || !residual(trial, trialR))
                continue;
            const double trialRms = rmsOf(trialR);
            if (trialRms < bestRms) {
                bestRms = trialRms;
                bestModel = candidate;
                bestR = trialR;
            }
            if (targetKnown && trialRms <= target && smoothestModel.size() == 0) {
                smoothestModel = candidate;
                smoothestR = trialR;
                smoothestRms = trialRms;
            }
        }
        const bool reached = smoothestModel.size() > 0;
        const Eigen::VectorXd& next = reached ? smoothestModel : bestModel;
        const double nextRms = reached ? smoothestRms : bestRms;
        if (!reached && !(nextRms < rms)) {
            // Nothing lowers the misfit: the best attainable is reached.
            if (!targetKnown) {
                target = kTargetMargin * leastRms;
                targetKnown = true;
                continue;
            }
            report.converged = true;
            break;
        }
        const double change = (next - m).cwiseAbs().maxCoeff();
        const double previousRms = rms;
        full.head(layers) = next;
        r = reached ? smoothestR : bestR;
        rms = nextRms;
        leastRms = std::min(leastRms, rms);
        if (!targetKnown && previousRms - rms < 0.01 * previousRms) {
            target = kTargetMargin * leastRms;
            targetKnown = true;
        } else if (reached && change < 1e-3) {
            report.converged = true;
            break;
        }
    }
    report.iterations = std::min(iteration, options.maxIterations);
    for (int k = 0; k < layers; ++k) {
        Layer layer;
        layer.rho = std::exp(full[k]);
        layer.thk = k + 1 < layers ? std::exp(full[layers + k]) : 0.0;
        layer.fixedThk = k + 1 < layers;
        result.model.layers.push_back(layer);
    }
    fillResponse(forward, points, result.model, report);
    if (options.chargeability)
        fitChargeability(data, options.ideal, result.model, report, options.mask);
    return result;
}

} // namespace model
