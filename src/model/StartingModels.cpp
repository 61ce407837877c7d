#include "model/StartingModels.h"

#include <algorithm>
#include <cmath>

#include "model/SplitMix.h"

namespace model {

namespace {

// The family of curve-shaped starts: first interface depths, and at most this many models.
constexpr int kFirstDepths = 6;
constexpr std::size_t kMaxFamily = 48;

} // namespace

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

std::vector<Eigen::VectorXd> randomStarts(const UsablePoints& points, int layers, int count, unsigned seed) {
    const auto [rhoMin, rhoMax] = std::minmax_element(points.rhoa.begin(), points.rhoa.end());
    const auto [ab2Min, ab2Max] = std::minmax_element(points.ab2.begin(), points.ab2.end());
    std::vector<Eigen::VectorXd> out;
    SplitMix random(0x5eed0000ULL + seed);
    for (int s = 0; s < count; ++s) {
        Eigen::VectorXd x(2 * layers - 1);
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
        out.push_back(x);
    }
    return out;
}

std::vector<Eigen::VectorXd> splitStarts(const Eigen::VectorXd& model, int layers) {
    std::vector<Eigen::VectorXd> out;
    const int next = layers + 1;
    std::vector<double> rho(static_cast<std::size_t>(layers));
    std::vector<double> thk(static_cast<std::size_t>(layers - 1));
    double deepest = 0.0;
    for (int k = 0; k < layers; ++k)
        rho[static_cast<std::size_t>(k)] = model[k];
    for (int k = 0; k + 1 < layers; ++k) {
        thk[static_cast<std::size_t>(k)] = std::exp(model[layers + k]);
        deepest += thk[static_cast<std::size_t>(k)];
    }
    auto make = [&](std::size_t split, double bottomThickness) {
        Eigen::VectorXd x(2 * next - 1);
        std::vector<double> newThk;
        for (std::size_t k = 0; k < rho.size(); ++k) {
            x[static_cast<Eigen::Index>(k + (k > split ? 1 : 0))] = rho[k];
            if (k == split)
                x[static_cast<Eigen::Index>(k + 1)] = rho[k];
            if (k + 1 < rho.size()) {
                if (k == split) {
                    newThk.push_back(thk[k] / 2.0);
                    newThk.push_back(thk[k] / 2.0);
                } else {
                    newThk.push_back(thk[k]);
                }
            } else if (k == split) {
                newThk.push_back(bottomThickness);
            }
        }
        for (std::size_t k = 0; k < newThk.size(); ++k)
            x[next + static_cast<Eigen::Index>(k)] = std::log(newThk[k]);
        out.push_back(x);
    };
    for (std::size_t k = 0; k + 1 < rho.size(); ++k)
        make(k, 0.0);
    const double base = deepest > 0.0 ? deepest : 1.0;
    for (double factor : {0.5, 2.0})
        make(rho.size() - 1, base * factor);
    return out;
}

} // namespace model
