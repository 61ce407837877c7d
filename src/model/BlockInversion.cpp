#include "model/BlockInversion.h"

#include <Eigen/Core>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "model/BlockProblem.h"
#include "model/BlockSetup.h"
#include "model/ChargeabilityFit.h"
#include "model/FDistribution.h"
#include "model/ForwardDomain.h"
#include "model/LayerLimits.h"
#include "model/LogResidual.h"
#include "model/ProfileRanges.h"
#include "model/SchlumbergerForward.h"
#include "model/StartingModels.h"

namespace model {

namespace {

constexpr int kMaxStarts = 100000;
// The automatic choice keeps this many degrees of freedom at least, and takes one more layer only when it
// lowers the misfit more than noise would at this confidence.
constexpr int kMinFreedom = 3;
constexpr double kLayerConfidence = 0.99;

// One K-layer fit of the usable points.
struct LayerFit {
    int layers = 0;
    Eigen::VectorXd full; // ln rho, ln thk, ln factors
    BlockProblem::Fit fit;
    std::vector<LogRange> ranges; // of the free model parameters, in the order of the full layout
    std::vector<int> rangeOf;     // per parameter of the full layout: its index in `ranges`, or -1
};

class StationFitter {
public:
    StationFitter(const UsablePoints& points, const Segmentation& segments, const BlockFitOptions& options)
        : points_(points), segments_(segments), options_(options), forward_(points.ab2, points.mn2) {}

    // Free parameters of a K-layer fit.
    int freeParameters(int layers) const {
        int held = 0;
        for (const FixedParameter& fixed : options_.fixed)
            held += parameterIndex(fixed.name, layers) ? 1 : 0;
        return 2 * layers - 1 - held + segments_.factors;
    }

    LayerFit fit(int layers, const std::vector<Eigen::VectorXd>& extraStarts, bool ranges) const {
        const int modelParameters = 2 * layers - 1;
        const int all = modelParameters + segments_.factors;
        const LogResidual residual(forward_, points_.rhoa, layers, segments_.factorOfPoint,
                                   segments_.factors);
        std::vector<std::optional<double>> held(static_cast<std::size_t>(all));
        for (const FixedParameter& fixed : options_.fixed)
            held[static_cast<std::size_t>(*parameterIndex(fixed.name, layers))] = std::log(fixed.value);
        Eigen::VectorXd lower, upper;
        blockBounds(points_, layers, segments_.factors, lower, upper);
        const BlockProblem problem(residual, held, lower, upper);
        std::vector<Eigen::VectorXd> starts;
        starts.push_back(shapeStart(points_, layers));
        for (Eigen::VectorXd& x : curveStarts(points_, layers))
            starts.push_back(std::move(x));
        for (const Eigen::VectorXd& x : extraStarts)
            starts.push_back(x);
        if (options_.start.size() == static_cast<std::size_t>(layers) && options_.start.isValid()) {
            Eigen::VectorXd x(modelParameters);
            for (int k = 0; k < layers; ++k)
                x[k] = std::log(options_.start.layers[static_cast<std::size_t>(k)].rho);
            for (int k = 0; k + 1 < layers; ++k)
                x[layers + k] = std::log(options_.start.layers[static_cast<std::size_t>(k)].thk);
            starts.push_back(x);
        }
        for (Eigen::VectorXd& x :
             randomStarts(points_, layers, std::min(options_.starts, kMaxStarts), options_.seed))
            starts.push_back(std::move(x));
        // Every start in the full layout: held values in place, factors from 1.
        for (Eigen::VectorXd& x : starts) {
            Eigen::VectorXd full = Eigen::VectorXd::Zero(all);
            full.head(modelParameters) = x.head(modelParameters);
            for (int i = 0; i < all; ++i)
                if (held[static_cast<std::size_t>(i)])
                    full[i] = *held[static_cast<std::size_t>(i)];
            x = std::move(full);
        }
        LayerFit out;
        out.layers = layers;
        out.fit = problem.fit(std::move(starts), options_.maxIterations);
        if (!std::isfinite(out.fit.cost))
            return out;
        out.full = problem.expand(out.fit.x);
        out.rangeOf.assign(static_cast<std::size_t>(all), -1);
        if (ranges) {
            std::vector<int> which;
            for (std::size_t j = 0; j < problem.freeIndex().size(); ++j)
                if (problem.freeIndex()[j] < modelParameters) {
                    out.rangeOf[static_cast<std::size_t>(problem.freeIndex()[j])] =
                        static_cast<int>(which.size());
                    which.push_back(static_cast<int>(j));
                }
            out.ranges = profileRanges(problem, out.fit.x, out.fit.cost, which);
        }
        return out;
    }

    const SchlumbergerForward& forward() const { return forward_; }

private:
    const UsablePoints& points_;
    const Segmentation& segments_;
    const BlockFitOptions& options_;
    SchlumbergerForward forward_;
};

// The smallest tried count that no larger one betters significantly: for each larger count K', the drop
// of the sum of squares per added parameter against the larger fit's residual variance, an F statistic
// with (p' - p, n - p') degrees of freedom, stays below its 99 % point.
std::size_t chosenCount(const std::vector<LayerFit>& fits, const std::vector<int>& freeParameters,
                        double points) {
    for (std::size_t k = 0; k < fits.size(); ++k) {
        bool bettered = false;
        for (std::size_t l = k + 1; l < fits.size() && !bettered; ++l) {
            const double added = freeParameters[l] - freeParameters[k];
            const double freedom = points - freeParameters[l];
            if (added <= 0.0 || freedom < 1.0)
                continue;
            const double variance = fits[l].fit.cost / freedom;
            const double f = (fits[k].fit.cost - fits[l].fit.cost) / added / std::max(variance, 1e-300);
            bettered = f > fQuantile(kLayerConfidence, added, freedom);
        }
        if (!bettered)
            return k;
    }
    return fits.size() - 1;
}

std::optional<double> valueOf(const std::optional<double>& logValue) {
    if (!logValue)
        return std::nullopt;
    return std::exp(*logValue);
}

} // namespace

std::string unknownParameter(const std::string& name, int layers) {
    if (parameterIndex(name, layers))
        return {};
    return "Unknown parameter \"" + name + "\" for a " + std::to_string(layers) +
           "-layer model (use rho1..rho" + std::to_string(layers) +
           (layers > 1 ? ", thk1..thk" + std::to_string(layers - 1) : std::string()) + ").";
}

namespace {

// The counts to try: one, or the automatic range less the counts some fixed name does not fit. Nothing, and
// `error`, when the fixed values do not fit the options.
std::vector<int> countsToTry(const BlockFitOptions& options, std::string& error) {
    auto firstUnknown = [&](int layers) {
        for (const FixedParameter& fixed : options.fixed)
            if (std::string reason = unknownParameter(fixed.name, layers); !reason.empty())
                return reason;
        return std::string();
    };
    std::vector<int> counts;
    if (!options.autoLayers) {
        error = firstUnknown(options.layers);
        if (!error.empty())
            return {};
        counts.push_back(options.layers);
    } else {
        for (int k = kMinAutoLayers; k <= kMaxAutoLayers; ++k)
            if (firstUnknown(k).empty())
                counts.push_back(k);
    }
    for (const FixedParameter& fixed : options.fixed)
        if (!std::isfinite(fixed.value) || fixed.value <= 0.0) {
            error = "The fixed value of " + fixed.name + " must be a positive number.";
            return {};
        }
    if (counts.empty()) {
        error = "No number of layers from " + std::to_string(kMinAutoLayers) + " to " +
                std::to_string(kMaxAutoLayers) + " has every fixed parameter.";
        return {};
    }
    return counts;
}

// The fitted layers, fixed values as given, with the profile ranges where they were found.
LayeredModel modelOf(const LayerFit& best, std::span<const FixedParameter> fixed) {
    const int layers = best.layers;
    auto rangeAt = [&](int parameter) -> std::optional<ValueRange> {
        const int index = best.rangeOf.empty() ? -1 : best.rangeOf[static_cast<std::size_t>(parameter)];
        if (index < 0)
            return std::nullopt;
        const LogRange& range = best.ranges[static_cast<std::size_t>(index)];
        return ValueRange{valueOf(range.low), valueOf(range.high)};
    };
    LayeredModel model;
    for (int k = 0; k < layers; ++k) {
        Layer layer = blockLayer(best.full, layers, k, fixed);
        layer.rhoRange = rangeAt(k);
        if (k + 1 < layers)
            layer.thkRange = rangeAt(layers + k);
        model.layers.push_back(layer);
    }
    return model;
}

} // namespace

FitResult fitBlockModel(const SoundingData& data, const BlockFitOptions& options) {
    FitResult result;
    FitReport& report = result.report;
    if (!options.autoLayers && !isLayerCount(options.layers)) {
        report.error = "The number of layers must be from " + std::to_string(kMinLayers) + " to " +
                       std::to_string(kMaxLayers) + ".";
        return result;
    }
    report.error = maskOutsideStation(data, options.mask);
    if (!report.ok())
        return result;
    std::vector<int> counts = countsToTry(options, report.error);
    if (!report.ok())
        return result;

    const UsablePoints points = UsablePoints::of(data, options.ideal, options.mask);
    report.pointsUsed = static_cast<int>(points.size());
    report.masked = options.mask;
    std::sort(report.masked.begin(), report.masked.end());
    report.masked.erase(std::unique(report.masked.begin(), report.masked.end()), report.masked.end());
    const Segmentation segments = segmentsOf(points, options.segments);
    const StationFitter fitter(points, segments, options);
    const auto n = static_cast<int>(points.size());
    if (options.autoLayers) // keep the counts the points allow
        while (counts.size() > 1 && n - fitter.freeParameters(counts.back()) < kMinFreedom)
            counts.pop_back();
    if (n == 0 || n < fitter.freeParameters(counts.front())) {
        report.error = "Too few usable points (" + std::to_string(points.size()) + ") for " +
                       std::to_string(fitter.freeParameters(counts.front())) + " free parameters.";
        return result;
    }

    std::vector<LayerFit> fits;
    std::vector<int> freeParameters;
    for (int k : counts) {
        std::vector<Eigen::VectorXd> extra;
        if (!fits.empty() && std::isfinite(fits.back().fit.cost))
            extra = splitStarts(fits.back().full.head(2 * fits.back().layers - 1), fits.back().layers);
        fits.push_back(fitter.fit(k, extra, options.ranges && !options.autoLayers));
        freeParameters.push_back(fitter.freeParameters(k));
    }
    std::size_t chosen = 0;
    if (options.autoLayers) {
        for (std::size_t k = 0; k < fits.size(); ++k)
            report.layerSearch.push_back({fits[k].layers, 100.0 * std::sqrt(fits[k].fit.cost / n)});
        chosen = chosenCount(fits, freeParameters, n);
        report.layersChosen = fits[chosen].layers;
        if (options.ranges)
            fits[chosen] =
                fitter.fit(fits[chosen].layers, {fits[chosen].full.head(2 * fits[chosen].layers - 1)}, true);
    }
    const LayerFit& best = fits[chosen];
    if (!std::isfinite(best.fit.cost)) {
        report.error = "The model could not be evaluated for this sounding.";
        return result;
    }

    const int layers = best.layers;
    result.model = modelOf(best, options.fixed);
    const std::vector<double> factorOfPoint =
        reportSegments(segments, points, best.full, 2 * layers - 1, report);
    report.iterations = best.fit.iterations;
    report.converged = best.fit.outcome == LevenbergMarquardt::Outcome::Converged;
    fillResponse(fitter.forward(), points, result.model, report, factorOfPoint);
    if (options.chargeability)
        fitChargeability(data, options.ideal, result.model, report, options.mask);
    return result;
}

} // namespace model
