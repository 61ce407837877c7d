#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "Synthetic.h"
#include "model/ForwardModel.h"
#include "model/SoundingData.h"

// A survey line over a layered earth whose resistivities and interface depths vary smoothly from station to
// station (a few wavelengths of tens of percent along the line), with each sounding's multiplicative noise of
// its own seed. Three layers: a resistive cover of a few metres over a conductive clay and a resistive
// basement at 20 to 50 m; four layers add a conductive half-space below the basement at about 100 m.
namespace synthetic {

struct Line {
    std::vector<model::LayeredModel> truth;
    std::vector<model::SoundingData> data;
};

inline model::LayeredModel lineEarth(double t, int layers) {
    const double pi = std::numbers::pi;
    std::vector<double> rho = {120.0 * std::exp(0.3 * std::sin(2.0 * pi * t)),
                               25.0 * std::exp(0.3 * std::cos(1.6 * pi * t)), 1000.0 * std::exp(0.3 * t)};
    const double h1 = 5.0 * std::exp(0.3 * std::sin(1.5 * pi * t + 0.3));
    const double h2 = 10.0 * std::exp(0.4 * std::sin(pi * t + 1.0));
    std::vector<double> thk = {h1, h2};
    if (layers == 4) {
        rho[2] = 300.0 * std::exp(0.3 * std::cos(pi * t));
        rho.push_back(30.0 * std::exp(0.3 * t));
        thk.push_back(70.0 * std::exp(0.3 * std::sin(2.0 * pi * t)));
    }
    return earth(rho, thk);
}

// layers: 3 or 4; noise: standard deviation of ln rhoa.
inline Line line(int stations, int layers, double noise, std::uint32_t seed) {
    Line out;
    for (int s = 0; s < stations; ++s) {
        const double t = stations > 1 ? static_cast<double>(s) / (stations - 1) : 0.0;
        out.truth.push_back(lineEarth(t, layers));
        out.data.push_back(sounding(out.truth.back(), noise, seed + static_cast<std::uint32_t>(s)).data);
    }
    return out;
}

// RMS over stations and parameters of the error of ln rho_i and ln thk_i against the truth; only stations
// whose fit has the truth's layer count count.
inline double logParameterError(const std::vector<model::LayeredModel>& truth,
                                const std::vector<model::LayeredModel>& fitted) {
    double sum = 0.0;
    int count = 0;
    for (std::size_t s = 0; s < truth.size() && s < fitted.size(); ++s) {
        if (fitted[s].size() != truth[s].size())
            continue;
        for (std::size_t k = 0; k < truth[s].size(); ++k) {
            const double e = std::log(fitted[s].layers[k].rho / truth[s].layers[k].rho);
            sum += e * e;
            ++count;
            if (k + 1 < truth[s].size()) {
                const double h = std::log(fitted[s].layers[k].thk / truth[s].layers[k].thk);
                sum += h * h;
                ++count;
            }
        }
    }
    return count > 0 ? std::sqrt(sum / count) : 0.0;
}

} // namespace synthetic
