#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "model/ForwardModel.h"
#include "model/SoundingData.h"

// Synthetic soundings for the fitting tests: a field-like spread of AB/2 (1 to 500 m, with the repeated
// spacings of a change of MN/2) and the model's response with multiplicative Gaussian noise of a fixed seed.
namespace synthetic {

inline model::LayeredModel earth(std::vector<double> rho, std::vector<double> thk,
                                 std::vector<double> m = {}) {
    model::LayeredModel out;
    for (std::size_t i = 0; i < rho.size(); ++i)
        out.layers.push_back({rho[i], i < thk.size() ? thk[i] : 0.0, i < m.size() ? m[i] : 0.0});
    return out;
}

// Standard normal numbers from the generator's raw output by Box-Muller (the same on every library).
class Gauss {
public:
    explicit Gauss(std::uint32_t seed) : engine_(seed) {}
    double operator()() {
        const double u1 = (static_cast<double>(engine_()) + 1.0) / 4294967297.0;
        const double u2 = static_cast<double>(engine_()) / 4294967296.0;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::mt19937 engine_;
};

struct Sounding {
    model::SoundingData data;
    double noiseRmsPercent = 0.0; // RMS of 100 * ln(noisy / exact): the misfit of the true model
};

inline Sounding sounding(const model::LayeredModel& truth, double noise, std::uint32_t seed) {
    Sounding out;
    model::SoundingData& d = out.data;
    for (int i = 0; i < 22; ++i) {
        const double s = std::pow(500.0, i / 21.0);
        d.ab2.push_back(s);
        d.mn2.push_back(s < 5.0 ? 0.4 : s < 40.0 ? 2.0 : 10.0);
    }
    // Overlaps where MN/2 changes, as in the field.
    for (double s : {3.0, 30.0}) {
        d.ab2.push_back(s);
        d.mn2.push_back(s < 5.0 ? 2.0 : 10.0);
    }
    d.rhoa = model::apparentResistivity(truth, d.ab2, d.mn2);
    d.m1 = model::apparentChargeability(truth, d.ab2, d.mn2);
    Gauss gauss(seed);
    double sum = 0.0;
    for (double& rho : d.rhoa) {
        const double e = noise * gauss();
        rho *= std::exp(e);
        sum += 1e4 * e * e;
    }
    out.noiseRmsPercent = std::sqrt(sum / static_cast<double>(d.rhoa.size()));
    return out;
}

} // namespace synthetic
