#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Synthetic.h"
#include "model/BlockInversion.h"
#include "model/ChargeabilityFit.h"

using model::BlockFitOptions;
using model::LayeredModel;

namespace {

struct CurveCase {
    std::string type;
    LayeredModel truth;
    // Resistivities and thicknesses the sounding resolves well, as indices into rho and thk.
    std::vector<int> resolvedRho, resolvedThk;
};

const CurveCase kCurves[] = {
    {"H", synthetic::earth({200.0, 20.0, 2000.0}, {4.0, 12.0}), {0, 2}, {0}},
    {"K", synthetic::earth({30.0, 600.0, 10.0}, {3.0, 15.0}), {0, 2}, {0}},
    {"A", synthetic::earth({10.0, 100.0, 1000.0}, {2.0, 20.0}), {0, 1, 2}, {0}},
    {"Q", synthetic::earth({1000.0, 100.0, 10.0}, {3.0, 20.0}), {0, 1, 2}, {0}},
    {"HK", synthetic::earth({300.0, 30.0, 500.0, 20.0}, {2.0, 6.0, 25.0}), {0, 3}, {0}},
    {"KHK", synthetic::earth({50.0, 400.0, 40.0, 600.0, 60.0}, {1.5, 4.0, 10.0, 30.0}), {0}, {}},
};

} // namespace

TEST(BlockInversion, RecoversEveryCurveTypeToTheNoise) {
    for (const CurveCase& c : kCurves) {
        SCOPED_TRACE(c.type);
        const synthetic::Sounding s = synthetic::sounding(c.truth, 0.02, 7);
        BlockFitOptions options;
        options.layers = static_cast<int>(c.truth.size());
        const model::FitResult fit = model::fitBlockModel(s.data, options);
        ASSERT_TRUE(fit.report.ok()) << fit.report.error;
        EXPECT_EQ(fit.report.pointsUsed, static_cast<int>(s.data.ab2.size()));
        // The true model misfits by the noise itself, so the least-squares optimum is at most that; with
        // 2K - 1 parameters absorbing some noise it is not far below it either.
        EXPECT_LE(fit.report.rmsPercent, s.noiseRmsPercent + 1e-3);
        EXPECT_GT(fit.report.rmsPercent, 0.6 * s.noiseRmsPercent);
        EXPECT_TRUE(fit.report.converged);
        for (int k : c.resolvedRho)
            EXPECT_NEAR(std::log(fit.model.layers[k].rho / c.truth.layers[k].rho), 0.0, 0.25)
                << "rho" << k + 1;
        for (int k : c.resolvedThk)
            EXPECT_NEAR(std::log(fit.model.layers[k].thk / c.truth.layers[k].thk), 0.0, 0.25)
                << "thk" << k + 1;
        ASSERT_EQ(fit.report.response.size(), s.data.ab2.size());
    }
}

TEST(BlockInversion, FarOffStartsStillReachTheNoise) {
    // A user's start far off the truth, without and with the random starts: the fit must not stay in the
    // valley that start lies in (its misfit ranks it first only if it is good).
    const LayeredModel truth = synthetic::earth({200.0, 20.0, 2000.0}, {4.0, 12.0});
    const synthetic::Sounding s = synthetic::sounding(truth, 0.02, 11);
    BlockFitOptions options;
    options.start = synthetic::earth({5.0, 50000.0, 1.0}, {150.0, 0.3});
    for (int starts : {0, 10}) {
        options.starts = starts;
        const model::FitResult fit = model::fitBlockModel(s.data, options);
        ASSERT_TRUE(fit.report.ok());
        EXPECT_LE(fit.report.rmsPercent, s.noiseRmsPercent + 1e-3) << starts << " starts";
    }
}

TEST(BlockInversion, FixedParametersAreHeld) {
    const LayeredModel truth = synthetic::earth({100.0, 10.0, 1000.0}, {5.0, 15.0});
    const synthetic::Sounding s = synthetic::sounding(truth, 0.0, 1);
    BlockFitOptions options;
    options.fixed = {{"thk1", 5.0}, {"rho3", 1000.0}};
    const model::FitResult fit = model::fitBlockModel(s.data, options);
    ASSERT_TRUE(fit.report.ok());
    EXPECT_EQ(fit.model.layers[0].thk, 5.0);
    EXPECT_EQ(fit.model.layers[2].rho, 1000.0);
    EXPECT_TRUE(fit.model.layers[0].fixedThk && fit.model.layers[2].fixedRho);
    EXPECT_FALSE(fit.model.layers[0].fixedRho || fit.model.layers[1].fixedThk);
    // Noise-free data and the true values held: the rest follows exactly.
    EXPECT_LT(fit.report.rmsPercent, 1e-3);
    EXPECT_NEAR(fit.model.layers[1].thk, 15.0, 0.01);

    // Held at a wrong value, the fit cannot reach the data and still keeps it.
    options.fixed = {{"rho1", 300.0}};
    const model::FitResult held = model::fitBlockModel(s.data, options);
    EXPECT_EQ(held.model.layers[0].rho, 300.0);
    EXPECT_GT(held.report.rmsPercent, 5.0);

    // Far outside the range the free resistivities may take (a factor 1000 beyond the data), still held.
    options.fixed = {{"rho3", 1.0e9}};
    const model::FitResult far = model::fitBlockModel(s.data, options);
    ASSERT_TRUE(far.report.ok());
    EXPECT_EQ(far.model.layers[2].rho, 1.0e9);
}

TEST(BlockInversion, UnusablePointsAreLeftOutAndTooFewAreAnError) {
    const LayeredModel truth = synthetic::earth({100.0, 10.0, 1000.0}, {5.0, 15.0});
    synthetic::Sounding s = synthetic::sounding(truth, 0.0, 1);
    s.data.rhoa[2] = -9999.0;
    s.data.rhoa[5] = NAN;
    s.data.ab2[7] = 9999.0;
    s.data.ab2[8] = -3.0;
    s.data.rhoa[9] = 0.0;
    const model::FitResult fit = model::fitBlockModel(s.data);
    ASSERT_TRUE(fit.report.ok());
    EXPECT_EQ(fit.report.pointsUsed, static_cast<int>(s.data.ab2.size()) - 5);
    EXPECT_LT(fit.report.rmsPercent, 1e-2);

    struct Bad {
        std::string what;
        model::SoundingData data;
        BlockFitOptions options;
    };
    model::SoundingData four{{1.0, 2.0, 5.0, 10.0}, {}, {10.0, 12.0, 20.0, 30.0}, {}};
    model::SoundingData missing{
        {1.0, 2.0, -9999.0, 10.0, 20.0, 40.0}, {}, {10.0, NAN, 20.0, -1, 9999.0, 3}, {}};
    BlockFitOptions fiveFixedTwo;
    fiveFixedTwo.fixed = {{"rho1", 10.0}, {"thk2", 4.0}};
    BlockFitOptions unknown;
    unknown.fixed = {{"thk3", 1.0}};
    BlockFitOptions negative;
    negative.fixed = {{"rho2", -1.0}};
    BlockFitOptions noLayers;
    noLayers.layers = 0;
    const Bad bad[] = {
        {"4 points, 5 parameters", four, {}},
        {"2 usable points", missing, {}},
        {"no points", {}, {}},
        {"unknown name", s.data, unknown},
        {"negative value", s.data, negative},
        {"no layers", s.data, noLayers},
    };
    for (const Bad& b : bad) {
        const model::FitResult r = model::fitBlockModel(b.data, b.options);
        EXPECT_FALSE(r.report.ok()) << b.what;
        EXPECT_TRUE(r.model.layers.empty()) << b.what;
    }
    // Two of five held: three free parameters fit four points.
    EXPECT_TRUE(model::fitBlockModel(four, fiveFixedTwo).report.ok());
}

TEST(BlockInversion, IdealOptionIgnoresMN) {
    // Data modelled with a finite MN/2, fitted as ideal: the fit is the ideal-array model of the same data,
    // so it misfits by the difference between the two arrays.
    const LayeredModel truth = synthetic::earth({100.0, 5.0, 1000.0}, {3.0, 8.0});
    synthetic::Sounding s = synthetic::sounding(truth, 0.0, 1);
    for (std::size_t i = 0; i < s.data.ab2.size(); ++i)
        s.data.mn2[i] = 0.6 * s.data.ab2[i];
    s.data.rhoa = model::apparentResistivity(truth, s.data.ab2, s.data.mn2);
    BlockFitOptions options;
    EXPECT_LT(model::fitBlockModel(s.data, options).report.rmsPercent, 1e-2);
    options.ideal = true;
    EXPECT_GT(model::fitBlockModel(s.data, options).report.rmsPercent, 0.5);
}

TEST(BlockInversion, ChargeabilityIsRecovered) {
    struct Case {
        LayeredModel truth;
    };
    const Case cases[] = {
        {synthetic::earth({200.0, 20.0, 2000.0}, {4.0, 12.0}, {1.0, 15.0, 3.0})},
        {synthetic::earth({30.0, 600.0, 10.0}, {3.0, 15.0}, {6.0, 0.0, 2.0})},
    };
    for (const Case& c : cases) {
        const synthetic::Sounding s = synthetic::sounding(c.truth, 0.0, 1);
        const model::FitResult fit = model::fitBlockModel(s.data);
        ASSERT_TRUE(fit.report.ok());
        ASSERT_EQ(fit.report.maResponse.size(), s.data.ab2.size());
        EXPECT_LT(fit.report.maRms, 1e-3);
        for (std::size_t k = 0; k < 3; ++k)
            EXPECT_NEAR(fit.model.layers[k].m, c.truth.layers[k].m, 0.05) << "layer " << k + 1;
    }
    // A held chargeability stays; the others take up what it misses. Missing M1 values are left out.
    synthetic::Sounding s = synthetic::sounding(cases[0].truth, 0.0, 1);
    s.data.m1[3] = -9999.0;
    s.data.m1[4] = NAN;
    model::LayeredModel earth = cases[0].truth;
    for (model::Layer& layer : earth.layers)
        layer.m = 0.0;
    earth.layers[1].m = 10.0;
    earth.layers[1].fixedM = true;
    model::FitReport report;
    ASSERT_TRUE(model::fitChargeability(s.data, false, earth, report));
    EXPECT_EQ(earth.layers[1].m, 10.0);
    EXPECT_GT(report.maRms, 0.01);
    EXPECT_GE(earth.layers[0].m, 0.0);
    EXPECT_GE(earth.layers[2].m, 0.0);
    // No M1 at all: nothing fitted, nothing changed.
    s.data.m1.assign(s.data.ab2.size(), -9999.0);
    const model::LayeredModel before = earth;
    EXPECT_FALSE(model::fitChargeability(s.data, false, earth, report));
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(earth.layers[k].m, before.layers[k].m);
}

TEST(BlockInversion, TakesColumnsOfFloats) {
    const model::LayeredModel truth = synthetic::earth({100.0, 10.0, 1000.0}, {5.0, 15.0});
    const synthetic::Sounding s = synthetic::sounding(truth, 0.0, 1);
    const std::vector<float> ab2(s.data.ab2.begin(), s.data.ab2.end());
    const std::vector<float> mn2(s.data.mn2.begin(), s.data.mn2.end());
    const std::vector<float> rhoa(s.data.rhoa.begin(), s.data.rhoa.end());
    const model::FitResult fit = model::fitBlockModel(model::SoundingData::from<float>(ab2, mn2, rhoa));
    ASSERT_TRUE(fit.report.ok());
    // Rounding to float is a relative 6e-8 on each value: far below 0.01 % of misfit.
    EXPECT_LT(fit.report.rmsPercent, 1e-2);
}
