#include "model/BlockInversion.h"

#include <Eigen/Core>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "model/ChargeabilityFit.h"
#include "model/LevenbergMarquardt.h"
#include "model/LogResidual.h"
#include "model/SchlumbergerForward.h"
#include "model/SplitMix.h"

namespace model {

namespace {

constexpr int kMaxLayers = 12;
constexpr int kMaxStarts = 100000;
// Iterations of the first run from each start, and how many of the best runs then go on to convergence.
constexpr int kShortRun = 12;
constexpr std::size_t kPolished = 3;
// All starting models are ranked by their misfit; this many of the best get the short run.
constexpr std::size_t kScreened = 8;
// The family of curve-shaped starts: first interface depths, and at most this many models.
constexpr int kFirstDepths = 6;
constexpr std::size_t kMaxFamily = 48;

// Index of a named parameter in the vector log rho_1..rho_K, log thk_1..thk_{K-1}, or nothing.
std::optional<int> parameterIndex(const std::string& name, int layers) {
    int base = 0;
    int count = layers;
    std::string_view number;
    if (name.starts_with("rho")) {
        number = std::string_view(name).substr(3);
    } else if (name.starts_with("thk")) {
        number = std::string_view(name).substr(3);
        base = layers;
        count = layers - 1;
    } else {
        return std::nullopt;
    }
    int k = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), k);
    if (ec != std::errc() || end != number.data() + number.size() || k < 1 || k > count)
        return std::nullopt;
    return base + k - 1;
}

// The model's log parameters from a starting model of the curve's shape: K equal parts of the log AB/2
// range, each part's mean log resistivity, interfaces at depth AB/2 / 2.5 at the parts' borders.
Eigen::VectorXd shapeStart(const UsablePoints& points, int layers) {
    const double lo = std::log(*std::min_element(points.ab2.begin(), points.ab2.end()));
    const double hi = std::log(*std::max_element(points.ab2.begin(), points.ab2.end()));
    Eigen::VectorXd x(2 * layers - 1);
    const double width = std::max(hi - lo, 1e-6) / layers;
    for (int k = 0; k < layers; ++k) {
        double sum = 0.0;
        int count = 0;
        double nearest = INFINITY;
        double nearestValue = 0.0;
        const double centre = lo + (k + 0.5) * width;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double u = std::log(points.ab2[i]);
            if (u >= lo + k * width - 1e-9 && u <= lo + (k + 1) * width + 1e-9) {
                sum += std::log(points.rhoa[i]);
                ++count;
            }
            if (std::abs(u - centre) < nearest) {
                nearest = std::abs(u - centre);
                nearestValue = std::log(points.rhoa[i]);
            }
        }
        x[k] = count > 0 ? sum / count : nearestValue;
    }
    double above = 0.0;
    for (int k = 1; k < layers; ++k) {
        const double depth = std::exp(lo + k * width) / 2.5;
        x[layers + k - 1] = std::log(depth - above);
        above = depth;
    }
    return x;
}

// Starting models of the curve's shape for a family of interface depths: the first interface at six
// depths from half the shortest to a quarter of the longest AB/2, each next one 3 or 10 times deeper; the
// top layer takes the first measured resistivity, the half-space the last, a layer between the
// resistivity measured at AB/2 = 2.5 times its mid-depth.
std::vector<Eigen::VectorXd> curveStarts(const UsablePoints& points, int layers) {
    std::vector<Eigen::VectorXd> out;
    if (layers < 2)
        return out;
    std::vector<std::size_t> order(points.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](auto a, auto b) { return points.ab2[a] < points.ab2[b]; });
    auto logRhoNear = [&](double s) {
        std::size_t best = order.front();
        for (std::size_t i : order)
            if (std::abs(std::log(points.ab2[i] / s)) < std::abs(std::log(points.ab2[best] / s)))
                best = i;
        return std::log(points.rhoa[best]);
    };
    const double first = points.ab2[order.front()] / 2.0;
    const double last = std::max(points.ab2[order.back()] / 4.0, first * 1.01);
    std::vector<std::vector<double>> depthSets;
    for (int g = 0; g < kFirstDepths; ++g)
        depthSets.push_back({first * std::pow(last / first, g / (kFirstDepths - 1.0))});
    for (int k = 1; k + 1 < layers && depthSets.size() < kMaxFamily; ++k) {
        std::vector<std::vector<double>> deeper;
        for (const auto& set : depthSets)
            for (double factor : {3.0, 10.0})
                if (deeper.size() < kMaxFamily) {
                    deeper.push_back(set);
                    deeper.back().push_back(set.back() * factor);
                }
        depthSets = std::move(deeper);
    }
    for (const auto& depths : depthSets) {
        if (depths.size() + 1 != static_cast<std::size_t>(layers))
            continue;
        Eigen::VectorXd x(2 * layers - 1);
        x[0] = std::log(points.rhoa[order.front()]);
        x[layers - 1] = std::log(points.rhoa[order.back()]);
        for (int k = 1; k + 1 < layers; ++k)
            x[k] = logRhoNear(2.5 * std::sqrt(depths[static_cast<std::size_t>(k - 1)] *
                                              depths[static_cast<std::size_t>(k)]));
        double above = 0.0;
        for (int k = 0; k + 1 < layers; ++k) {
            x[layers + k] = std::log(depths[static_cast<std::size_t>(k)] - above);
            above = depths[static_cast<std::size_t>(k)];
        }
        out.push_back(x);
    }
    return out;
}

} // namespace

FitResult fitBlockModel(const SoundingData& data, const BlockFitOptions& options) {
    FitResult result;
    FitReport& report = result.report;
    const int layers = options.layers;
    if (layers < 1 || layers > kMaxLayers) {
        report.error = "The number of layers must be from 1 to " + std::to_string(kMaxLayers) + ".";
        return result;
    }
    const int parameters = 2 * layers - 1;
    std::vector<std::optional<double>> fixedValue(static_cast<std::size_t>(parameters)); // log value
    std::vector<double> heldValue(static_cast<std::size_t>(parameters));                 // as given
    for (const FixedParameter& fixed : options.fixed) {
        const std::optional<int> index = parameterIndex(fixed.name, layers);
        if (!index) {
            report.error = "Unknown parameter \"" + fixed.name + "\" for a " + std::to_string(layers) +
                           "-layer model (use rho1..rho" + std::to_string(layers) + ", thk1..thk" +
                           std::to_string(layers - 1) + ").";
            return result;
        }
        if (!std::isfinite(fixed.value) || fixed.value <= 0.0) {
            report.error = "The fixed value of " + fixed.name + " must be a positive number.";
            return result;
        }
        fixedValue[static_cast<std::size_t>(*index)] = std::log(fixed.value);
        heldValue[static_cast<std::size_t>(*index)] = fixed.value;
    }
    std::vector<int> freeIndex;
    for (int i = 0; i < parameters; ++i)
        if (!fixedValue[static_cast<std::size_t>(i)])
            freeIndex.push_back(i);

    const UsablePoints points = UsablePoints::of(data, options.ideal);
    report.pointsUsed = static_cast<int>(points.size());
    const auto freeCount = static_cast<Eigen::Index>(freeIndex.size());
    if (points.size() == 0 || static_cast<Eigen::Index>(points.size()) < freeCount) {
        report.error = "Too few usable points (" + std::to_string(points.size()) + ") for " +
                       std::to_string(freeCount) + " free parameters.";
        return result;
    }

    const SchlumbergerForward forward(points.ab2, points.mn2);
    const LogResidual residual(forward, points.rhoa, layers);
    auto expand = [&](const Eigen::VectorXd& x) {
        Eigen::VectorXd full(parameters);
        for (int i = 0; i < parameters; ++i)
            if (fixedValue[static_cast<std::size_t>(i)])
                full[i] = *fixedValue[static_cast<std::size_t>(i)];
        for (Eigen::Index j = 0; j < freeCount; ++j)
            full[freeIndex[static_cast<std::size_t>(j)]] = x[j];
        return full;
    };
    auto restrict = [&](const Eigen::VectorXd& full) {
        Eigen::VectorXd x(freeCount);
        for (Eigen::Index j = 0; j < freeCount; ++j)
            x[j] = full[freeIndex[static_cast<std::size_t>(j)]];
        return x;
    };

    // Bounds: resistivities within a factor 1000 of the measured range, thicknesses from a twentieth of
    // the shortest to five times the longest AB/2.
    const auto [rhoMin, rhoMax] = std::minmax_element(points.rhoa.begin(), points.rhoa.end());
    const auto [ab2Min, ab2Max] = std::minmax_element(points.ab2.begin(), points.ab2.end());
    Eigen::VectorXd lowerFull(parameters), upperFull(parameters);
    for (int i = 0; i < parameters; ++i) {
        const bool rho = i < layers;
        lowerFull[i] = rho ? std::log(*rhoMin / 1000.0) : std::log(*ab2Min / 20.0);
        upperFull[i] = rho ? std::log(*rhoMax * 1000.0) : std::log(*ab2Max * 5.0);
        if (fixedValue[static_cast<std::size_t>(i)]) // a held value may lie anywhere
            lowerFull[i] = upperFull[i] = *fixedValue[static_cast<std::size_t>(i)];
    }

    LevenbergMarquardt::Result best;
    best.sumOfSquares = std::numeric_limits<double>::infinity();
    std::vector<Eigen::VectorXd> starts;
    starts.push_back(shapeStart(points, layers));
    for (Eigen::VectorXd& x : curveStarts(points, layers))
        starts.push_back(std::move(x));
    if (options.start.size() == static_cast<std::size_t>(layers) && options.start.isValid()) {
        Eigen::VectorXd x(parameters);
        for (int k = 0; k < layers; ++k)
            x[k] = std::log(options.start.layers[static_cast<std::size_t>(k)].rho);
        for (int k = 0; k + 1 < layers; ++k)
            x[layers + k] = std::log(options.start.layers[static_cast<std::size_t>(k)].thk);
        starts.push_back(x);
    }
    // Seeded random starts: resistivities over the measured range widened by e either way, interfaces
    // log-uniform between a fifth of the shortest and the longest AB/2.
    SplitMix random(0x5eed0000ULL + options.seed);
    for (int s = 0; s < std::min(options.starts, kMaxStarts); ++s) {
        Eigen::VectorXd x(parameters);
        for (int k = 0; k < layers; ++k)
            x[k] = std::log(*rhoMin) - 1.0 + random.uniform() * (std::log(*rhoMax / *rhoMin) + 2.0);
        std::vector<double> depth(static_cast<std::size_t>(layers - 1));
        for (double& z : depth)
            z = std::log(*ab2Min / 5.0) + random.uniform() * std::log(5.0 * *ab2Max / *ab2Min);
        std::sort(depth.begin(), depth.end());
        double above = 0.0;
        for (int k = 0; k + 1 < layers; ++k) {
            const double z = std::max(std::exp(depth[static_cast<std::size_t>(k)]), above * 1.2);
            x[layers + k] = std::log(z - above);
            above = z;
        }
        starts.push_back(x);
    }
    // Every start gets a short run; the best few of those go on to convergence.
    for (Eigen::VectorXd& start : starts)
        for (int i = 0; i < parameters; ++i)
            if (fixedValue[static_cast<std::size_t>(i)])
                start[i] = *fixedValue[static_cast<std::size_t>(i)];
    if (freeCount == 0) {
        Eigen::VectorXd r;
        best.x = Eigen::VectorXd(0);
        best.sumOfSquares = residual(expand(best.x), r) ? r.squaredNorm() : INFINITY;
        best.converged = true;
    } else {
        const LevenbergMarquardt lm(
            [&](const Eigen::VectorXd& x, Eigen::VectorXd& r) { return residual(expand(x), r); },
            static_cast<Eigen::Index>(points.size()), restrict(lowerFull), restrict(upperFull));
        // Rank the starts by their misfit (stable: ties keep their order).
        std::vector<std::pair<double, std::size_t>> ranked;
        Eigen::VectorXd r;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            starts[i] = starts[i].cwiseMax(lowerFull).cwiseMin(upperFull);
            ranked.emplace_back(residual(starts[i], r) ? r.squaredNorm() : INFINITY, i);
        }
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<LevenbergMarquardt::Result> trials;
        for (std::size_t t = 0; t < ranked.size() && t < kScreened; ++t)
            trials.push_back(
                lm.minimise(restrict(starts[ranked[t].second]), std::min(kShortRun, options.maxIterations)));
        std::stable_sort(trials.begin(), trials.end(),
                         [](const auto& a, const auto& b) { return a.sumOfSquares < b.sumOfSquares; });
        for (std::size_t t = 0; t < trials.size() && t < kPolished; ++t) {
            LevenbergMarquardt::Result fit = trials[t];
            if (!fit.converged) {
                const int used = fit.iterations;
                fit = lm.minimise(fit.x, std::max(options.maxIterations - used, 1));
                fit.iterations += used;
            }
            if (fit.sumOfSquares < best.sumOfSquares)
                best = std::move(fit);
        }
    }
    if (!std::isfinite(best.sumOfSquares)) {
        report.error = "The model could not be evaluated for this sounding.";
        return result;
    }

    const Eigen::VectorXd full = expand(best.x);
    for (int k = 0; k < layers; ++k) {
        Layer layer;
        layer.rho = std::exp(full[k]);
        layer.thk = k + 1 < layers ? std::exp(full[layers + k]) : 0.0;
        layer.fixedRho = fixedValue[static_cast<std::size_t>(k)].has_value();
        layer.fixedThk = k + 1 < layers && fixedValue[static_cast<std::size_t>(layers + k)].has_value();
        if (layer.fixedRho)
            layer.rho = heldValue[static_cast<std::size_t>(k)];
        if (layer.fixedThk)
            layer.thk = heldValue[static_cast<std::size_t>(layers + k)];
        result.model.layers.push_back(layer);
    }
    report.iterations = best.iterations;
    report.converged = best.converged;
    fillResponse(forward, points, result.model, report);
    if (options.chargeability)
        fitChargeability(data, options.ideal, result.model, report);
    return result;
}

} // namespace model
