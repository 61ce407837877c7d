#include <gtest/gtest.h>

#include <cmath>

#include "Synthetic.h"
#include "model/SmoothInversion.h"

namespace {

double roughness(const model::LayeredModel& m) {
    double sum = 0.0;
    for (std::size_t k = 0; k + 1 < m.size(); ++k) {
        const double d = std::log(m.layers[k + 1].rho / m.layers[k].rho);
        sum += d * d;
    }
    return sum;
}

// Resistivity of the smooth model at a depth (m).
double rhoAt(const model::LayeredModel& m, double depth) {
    double bottom = 0.0;
    for (std::size_t k = 0; k + 1 < m.size(); ++k) {
        bottom += m.layers[k].thk;
        if (depth < bottom)
            return m.layers[k].rho;
    }
    return m.layers.back().rho;
}

} // namespace

TEST(SmoothInversion, AHalfSpaceGivesAFlatModel) {
    for (double rho : {3.0, 250.0}) {
        const synthetic::Sounding s = synthetic::sounding(synthetic::earth({rho}, {}), 0.0, 1);
        const model::FitResult fit = model::fitSmoothModel(s.data);
        ASSERT_TRUE(fit.report.ok()) << fit.report.error;
        EXPECT_LT(fit.report.rmsPercent, 0.01);
        for (const model::Layer& layer : fit.model.layers)
            EXPECT_NEAR(layer.rho / rho, 1.0, 1e-3);
    }
}

TEST(SmoothInversion, ThinLayersGrowWithDepthAndStayFixed) {
    const synthetic::Sounding s = synthetic::sounding(synthetic::earth({100.0, 10.0}, {10.0}), 0.0, 1);
    model::SmoothFitOptions options;
    options.interfaces = 12;
    const model::FitResult fit = model::fitSmoothModel(s.data, options);
    ASSERT_EQ(fit.model.size(), 13u);
    // Interfaces log-spaced from a third of the shortest AB/2 (1 m) to the longest (500 m).
    double depth = 0.0;
    for (std::size_t k = 0; k + 1 < fit.model.size(); ++k) {
        depth += fit.model.layers[k].thk;
        EXPECT_NEAR(depth, std::pow(1500.0, k / 11.0) / 3.0, 1e-9 * depth);
        EXPECT_TRUE(fit.model.layers[k].fixedThk);
    }
}

TEST(SmoothInversion, ReachesTheNoiseWithTheSmoothestModel) {
    struct Case {
        const char* type;
        model::LayeredModel truth;
    };
    const Case cases[] = {
        {"H", synthetic::earth({200.0, 20.0, 2000.0}, {4.0, 12.0})},
        {"A", synthetic::earth({10.0, 100.0, 1000.0}, {2.0, 20.0})},
        {"K", synthetic::earth({30.0, 600.0, 10.0}, {3.0, 15.0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const synthetic::Sounding s = synthetic::sounding(c.truth, 0.02, 3);
        model::SmoothFitOptions options;
        options.targetRmsPercent = s.noiseRmsPercent;
        const model::FitResult fit = model::fitSmoothModel(s.data, options);
        ASSERT_TRUE(fit.report.ok());
        EXPECT_LE(fit.report.rmsPercent, s.noiseRmsPercent * 1.02);
        EXPECT_TRUE(fit.report.converged);
        // Shallow and deep ends come back near the true top layer and basement.
        EXPECT_NEAR(std::log(rhoAt(fit.model, 0.5) / c.truth.layers[0].rho), 0.0, 0.3);
        EXPECT_NEAR(std::log(fit.model.layers.back().rho / c.truth.layers[2].rho), 0.0, 0.5);
        // A tighter target buys misfit with roughness; the best attainable (no target) is rougher still.
        options.targetRmsPercent = 0.8 * s.noiseRmsPercent;
        const model::FitResult tighter = model::fitSmoothModel(s.data, options);
        EXPECT_LT(tighter.report.rmsPercent, fit.report.rmsPercent);
        EXPECT_GT(roughness(tighter.model), roughness(fit.model));
    }
}

TEST(SmoothInversion, TooFewPointsAreAnError) {
    const model::SoundingData cases[] = {
        {},
        {{10.0}, {}, {50.0}, {}},
        {{10.0, 10.0, -9999.0}, {}, {50.0, NAN, 3.0}, {}},
    };
    for (const model::SoundingData& d : cases) {
        const model::FitResult fit = model::fitSmoothModel(d);
        EXPECT_FALSE(fit.report.ok());
        EXPECT_TRUE(fit.model.layers.empty());
    }
}
