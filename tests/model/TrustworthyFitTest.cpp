// The numbers an interpreter signs: ranges that cover the truth, the layer count the data support,
// segment factors and masked points, each checked on synthetic soundings of known truth and noise.
#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Synthetic.h"
#include "model/BlockInversion.h"
#include "model/FDistribution.h"
#include "model/SchlumbergerForward.h"

using model::BlockFitOptions;
using model::LayeredModel;

namespace {

const LayeredModel kTruths[] = {
    synthetic::earth({100.0, 10.0}, {6.0}),
    synthetic::earth({200.0, 20.0, 2000.0}, {4.0, 12.0}),
    synthetic::earth({30.0, 600.0, 10.0}, {3.0, 15.0}),
    synthetic::earth({10.0, 100.0, 1000.0}, {2.0, 20.0}),
    synthetic::earth({300.0, 30.0, 500.0, 20.0}, {2.0, 6.0, 25.0}),
};

// The half width (ln units) of the linearised 95 % range of each parameter at the truth, for the noise
// the fit found: sqrt(F s^2 C_jj), C = (J^T J)^-1.
std::vector<double> linearisedHalfWidths(const LayeredModel& truth, const model::SoundingData& data,
                                         double misfitPerFreedom) {
    const model::SchlumbergerForward forward(data.ab2, data.mn2);
    const auto n = static_cast<Eigen::Index>(data.ab2.size());
    const auto p = static_cast<Eigen::Index>(2 * truth.size() - 1);
    std::vector<double> value(data.ab2.size()), jacobian(static_cast<std::size_t>(n * p));
    forward.logJacobian(truth.resistivities(), truth.thicknesses(), value, jacobian);
    const Eigen::Map<const Eigen::MatrixXd> j(jacobian.data(), n, p);
    const Eigen::MatrixXd inverse = (j.transpose() * j).inverse();
    const double f = model::fQuantile(0.95, 1.0, static_cast<double>(n - p));
    std::vector<double> out;
    for (Eigen::Index k = 0; k < p; ++k)
        out.push_back(std::sqrt(f * misfitPerFreedom * inverse(k, k)));
    return out;
}

bool covers(const model::ValueRange& range, double truth) {
    return (!range.low || *range.low <= truth) && (!range.high || truth <= *range.high);
}

} // namespace

TEST(ProfileRanges, CoverTheTruthAndAreNoWiderThanTheDataMake) {
    int parameters = 0, covered = 0;
    std::vector<double> widthRatios;
    for (const LayeredModel& truth : kTruths) {
        for (std::uint32_t seed = 1; seed <= 8; ++seed) {
            const synthetic::Sounding s = synthetic::sounding(truth, 0.03, seed);
            BlockFitOptions options;
            options.layers = static_cast<int>(truth.size());
            options.ranges = true;
            const model::FitResult fit = model::fitBlockModel(s.data, options);
            ASSERT_TRUE(fit.report.ok()) << fit.report.error;
            const double n = static_cast<double>(fit.report.pointsUsed);
            const double p = 2.0 * static_cast<double>(truth.size()) - 1.0;
            const double variance = std::pow(fit.report.rmsPercent / 100.0, 2) * n / (n - p);
            const std::vector<double> linear = linearisedHalfWidths(truth, s.data, variance);
            for (std::size_t k = 0; k < truth.size(); ++k) {
                const model::Layer& layer = fit.model.layers[k];
                ASSERT_TRUE(layer.rhoRange.has_value());
                ++parameters;
                covered += covers(*layer.rhoRange, truth.layers[k].rho) ? 1 : 0;
                if (layer.rhoRange->low && layer.rhoRange->high)
                    widthRatios.push_back(std::log(*layer.rhoRange->high / *layer.rhoRange->low) /
                                          (2 * linear[k]));
                if (k + 1 == truth.size())
                    continue;
                ASSERT_TRUE(layer.thkRange.has_value());
                ++parameters;
                covered += covers(*layer.thkRange, truth.layers[k].thk) ? 1 : 0;
                if (layer.thkRange->low && layer.thkRange->high)
                    widthRatios.push_back(std::log(*layer.thkRange->high / *layer.thkRange->low) /
                                          (2 * linear[truth.size() + k]));
                // The fitted value lies inside its own range.
                EXPECT_TRUE(covers(*layer.thkRange, layer.thk));
            }
        }
    }
    EXPECT_GE(covered, 0.85 * parameters) << covered << " of " << parameters;
    ASSERT_FALSE(widthRatios.empty());
    std::sort(widthRatios.begin(), widthRatios.end());
    // Most ranges are as wide as the linearised ones at the truth; the rest are parameters traded
    // against each other (equivalence), where the straight-line picture is too narrow.
    EXPECT_GT(widthRatios[widthRatios.size() / 2], 0.9);
    EXPECT_LT(widthRatios[widthRatios.size() / 2], 1.15);
    const auto near =
        std::count_if(widthRatios.begin(), widthRatios.end(), [](double r) { return r > 0.75 && r < 1.33; });
    EXPECT_GE(static_cast<double>(near), 0.7 * static_cast<double>(widthRatios.size()));
}

// A basement far more resistive than the data can tell (an insulator under a conductor) has an open
// upper side, never a number at the fit's own bound.
TEST(ProfileRanges, AnUndeterminedBasementIsOpenAbove) {
    const LayeredModel truth = synthetic::earth({100.0, 10.0, 1e6}, {2.0, 10.0});
    const synthetic::Sounding s = synthetic::sounding(truth, 0.02, 3);
    BlockFitOptions options;
    options.ranges = true;
    const model::FitResult fit = model::fitBlockModel(s.data, options);
    ASSERT_TRUE(fit.report.ok());
    ASSERT_TRUE(fit.model.layers[2].rhoRange.has_value());
    EXPECT_FALSE(fit.model.layers[2].rhoRange->high.has_value());
    ASSERT_TRUE(fit.model.layers[2].rhoRange->low.has_value());
    EXPECT_GT(*fit.model.layers[2].rhoRange->low, 300.0);
}

TEST(LayerCount, TheAutomaticChoiceFindsTheTrueCount) {
    const LayeredModel truths[] = {
        synthetic::earth({100.0, 10.0}, {6.0}),
        synthetic::earth({200.0, 20.0, 2000.0}, {4.0, 12.0}),
        synthetic::earth({300.0, 30.0, 500.0, 20.0}, {2.0, 6.0, 40.0}),
    };
    for (const LayeredModel& truth : truths) {
        int right = 0;
        for (std::uint32_t seed = 1; seed <= 20; ++seed) {
            const synthetic::Sounding s = synthetic::sounding(truth, 0.02, 100 + seed);
            BlockFitOptions options;
            options.autoLayers = true;
            const model::FitResult fit = model::fitBlockModel(s.data, options);
            ASSERT_TRUE(fit.report.ok()) << fit.report.error;
            ASSERT_EQ(fit.report.layerSearch.front().layers, 2);
            EXPECT_EQ(fit.report.layersChosen, static_cast<int>(fit.model.size()));
            right += fit.report.layersChosen == static_cast<int>(truth.size()) ? 1 : 0;
        }
        EXPECT_GE(right, 18) << truth.size() << " layers, of 20";
    }
}

TEST(SegmentFactors, ShiftedSegmentsFitAsWellAsUnshiftedOnesAndTheFactorsComeBack) {
    // The synthetic soundings have MN/2 of 0.4, 2 and 10 m; the first (smallest MN/2) is the reference.
    const double shifts[][3] = {{1.0, 0.7, 1.4}, {1.0, 1.3, 0.75}, {1.0, 1.4, 1.4}};
    for (const LayeredModel& truth : {kTruths[1], kTruths[2], kTruths[4]}) {
        for (const auto& shift : shifts) {
            synthetic::Sounding s = synthetic::sounding(truth, 0.02, 11);
            BlockFitOptions options;
            options.layers = static_cast<int>(truth.size());
            const model::FitResult clean = model::fitBlockModel(s.data, options);
            for (std::size_t i = 0; i < s.data.ab2.size(); ++i)
                s.data.rhoa[i] *= s.data.mn2[i] == 0.4   ? shift[0]
                                  : s.data.mn2[i] == 2.0 ? shift[1]
                                                         : shift[2];
            options.segments = model::SegmentReference::SmallestMn2;
            const model::FitResult joined = model::fitBlockModel(s.data, options);
            ASSERT_TRUE(joined.report.ok()) << joined.report.error;
            ASSERT_EQ(joined.report.segments.size(), 3u);
            EXPECT_TRUE(joined.report.segments[0].reference);
            EXPECT_EQ(joined.report.segments[0].factor, 1.0);
            // corrected = factor x measured, so the factor undoes the shift.
            for (int k = 1; k < 3; ++k)
                EXPECT_NEAR(joined.report.segments[k].factor * shift[k], 1.0, 0.04) << "segment " << k;
            // Two more free values than the clean fit: a little lower misfit, never much higher.
            EXPECT_LT(joined.report.rmsPercent, clean.report.rmsPercent + 0.1);
            EXPECT_EQ(joined.report.correctedRhoa.size(), s.data.ab2.size());
        }
    }
}

TEST(SegmentFactors, TheLargestMn2CanBeTheReference) {
    synthetic::Sounding s = synthetic::sounding(kTruths[1], 0.01, 5);
    for (std::size_t i = 0; i < s.data.ab2.size(); ++i)
        s.data.rhoa[i] *= s.data.mn2[i] == 10.0 ? 2.0 : 1.0;
    BlockFitOptions options;
    options.segments = model::SegmentReference::LargestMn2;
    const model::FitResult fit = model::fitBlockModel(s.data, options);
    ASSERT_EQ(fit.report.segments.size(), 3u);
    EXPECT_TRUE(fit.report.segments[2].reference);
    EXPECT_NEAR(fit.report.segments[0].factor, 2.0, 0.08);
    EXPECT_NEAR(fit.report.segments[1].factor, 2.0, 0.08);
}

TEST(MaskedPoints, ASpoiledReadingMaskedFitsAsIfItWereNotThere) {
    const synthetic::Sounding clean = synthetic::sounding(kTruths[1], 0.02, 21);
    synthetic::Sounding spoiled = clean;
    spoiled.data.rhoa[9] *= 4.0;
    BlockFitOptions options;
    const model::FitResult unmasked = model::fitBlockModel(spoiled.data, options);
    options.mask = {9};
    const model::FitResult masked = model::fitBlockModel(spoiled.data, options);
    ASSERT_TRUE(masked.report.ok());
    EXPECT_EQ(masked.report.pointsUsed, static_cast<int>(clean.data.ab2.size()) - 1);
    EXPECT_EQ(masked.report.masked, std::vector<std::size_t>{9});
    EXPECT_LE(masked.report.rmsPercent, clean.noiseRmsPercent + 0.5);
    EXPECT_GT(unmasked.report.rmsPercent, 2.0 * masked.report.rmsPercent);
    EXPECT_EQ(masked.report.ab2.size(), clean.data.ab2.size() - 1);

    options.mask = {clean.data.ab2.size()};
    EXPECT_FALSE(model::fitBlockModel(spoiled.data, options).report.ok()) << "a mask outside the station";
}
