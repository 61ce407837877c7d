#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "ImageSeries.h"
#include "model/ForwardDomain.h"
#include "model/ForwardModel.h"
#include "model/HankelFilter.h"
#include "model/SchlumbergerForward.h"
#include "model/SoundingData.h"

using model::LayeredModel;

namespace {

std::vector<double> logSpaced(double from, double to, int count) {
    std::vector<double> out;
    for (int i = 0; i < count; ++i)
        out.push_back(from * std::pow(to / from, static_cast<double>(i) / (count - 1)));
    return out;
}

LayeredModel layers(std::vector<double> rho, std::vector<double> thk, std::vector<double> m = {}) {
    LayeredModel out;
    for (std::size_t i = 0; i < rho.size(); ++i)
        out.layers.push_back({rho[i], i < thk.size() ? thk[i] : 0.0, i < m.size() ? m[i] : 0.0});
    return out;
}

struct TwoLayer {
    double rho1, rho2, h;
};

// Contrasts up to 1:10,000 both ways, thin and thick top layers.
const TwoLayer kTwoLayers[] = {
    {100.0, 1000.0, 5.0}, {100.0, 10.0, 5.0},  {10.0, 1.0e5, 1.0},  {1.0e4, 1.0, 2.0},
    {50.0, 5.0, 0.2},     {20.0, 2000.0, 0.5}, {300.0, 30.0, 40.0}, {5.0, 50.0, 300.0},
};

} // namespace

TEST(ForwardModel, HalfSpaceGivesItsResistivityForEveryArray) {
    const std::vector<double> ab2 = logSpaced(0.3, 5000.0, 30);
    for (double fraction : {0.0, 0.01, 0.2, 0.5, 0.95}) {
        std::vector<double> mn2;
        for (double s : ab2)
            mn2.push_back(fraction * s);
        for (double rho : {0.5, 137.0, 2.5e4}) {
            const std::vector<double> rhoa = model::apparentResistivity(layers({rho}, {}), ab2, mn2);
            for (std::size_t i = 0; i < ab2.size(); ++i)
                EXPECT_NEAR(rhoa[i] / rho, 1.0, 1e-13) << "MN/2 = " << fraction << " AB/2, AB/2 = " << ab2[i];
        }
    }
}

TEST(ForwardModel, TwoLayersMatchTheImageSeriesForIdealAndFiniteArrays) {
    const std::vector<double> ab2 = logSpaced(0.5, 3000.0, 27);
    for (const TwoLayer& c : kTwoLayers) {
        const LayeredModel earth = layers({c.rho1, c.rho2}, {c.h});
        for (double fraction : {0.0, 0.02, 0.2, 0.4, 0.9}) {
            std::vector<double> mn2;
            for (double s : ab2)
                mn2.push_back(fraction * s);
            const std::vector<double> rhoa = model::apparentResistivity(earth, ab2, mn2);
            for (std::size_t i = 0; i < ab2.size(); ++i) {
                const double s = ab2[i];
                const double exact = fraction == 0.0
                                         ? imageseries::ideal(c.rho1, c.rho2, c.h, s)
                                         : imageseries::finite(c.rho1, c.rho2, c.h, s, fraction * s);
                EXPECT_NEAR(rhoa[i] / exact, 1.0, 1e-6) << c.rho1 << "/" << c.rho2 << " h = " << c.h
                                                        << " AB/2 = " << s << " MN/2 = " << fraction * s;
            }
        }
    }
}

TEST(ForwardModel, PointsKeepTheirOwnArrayInOneCall) {
    // Field soundings repeat AB/2 with two MN/2 values; each point must use its own.
    const std::vector<double> ab2{3.0, 3.0, 20.0, 20.0, 1.0, 500.0};
    const std::vector<double> mn2{0.4, 1.0, 1.0, 5.0, 0.0, 600.0}; // 0 and MN/2 >= AB/2: ideal
    const TwoLayer c{40.0, 400.0, 6.0};
    const std::vector<double> rhoa = model::apparentResistivity(layers({c.rho1, c.rho2}, {c.h}), ab2, mn2);
    for (std::size_t i = 0; i < ab2.size(); ++i) {
        const bool finite = mn2[i] > 0.0 && mn2[i] < ab2[i];
        const double exact = finite ? imageseries::finite(c.rho1, c.rho2, c.h, ab2[i], mn2[i])
                                    : imageseries::ideal(c.rho1, c.rho2, c.h, ab2[i]);
        EXPECT_NEAR(rhoa[i] / exact, 1.0, 1e-6) << "point " << i;
    }
}

TEST(ForwardModel, SplittingALayerChangesNothing) {
    // Three layers of which two have one resistivity are the two-layer earth of the image series: checks the
    // recursion through a layer below the first, in both places.
    const std::vector<double> ab2 = logSpaced(1.0, 1000.0, 19);
    struct Case {
        std::vector<double> rho, thk;
        TwoLayer same;
    };
    const Case cases[] = {
        {{80.0, 80.0, 8.0}, {3.0, 9.0}, {80.0, 8.0, 12.0}},
        {{80.0, 8000.0, 8000.0}, {4.0, 2.0}, {80.0, 8000.0, 4.0}},
        {{2.0, 2.0, 2.0, 200.0}, {1.0, 0.5, 0.25}, {2.0, 200.0, 1.75}},
    };
    for (const Case& c : cases) {
        const std::vector<double> rhoa = model::apparentResistivity(layers(c.rho, c.thk), ab2);
        for (std::size_t i = 0; i < ab2.size(); ++i)
            EXPECT_NEAR(rhoa[i] / imageseries::ideal(c.same.rho1, c.same.rho2, c.same.h, ab2[i]), 1.0, 1e-6);
    }
}

TEST(ForwardModel, LongSpreadsReachTheBasementAsymptotes) {
    // Over an insulating basement the current spreads in a sheet of conductance S = sum h_i / rho_i: a
    // source gives E = I / (2 pi r S), both current electrodes at the centre E = I / (pi s S), and the
    // Schlumberger rhoa = pi s^2 E / I = s / S. A basement of finite resistance rho_b bends the curve once
    // s / S approaches rho_b, so the check stays at s / S <= rho_b / 1000 and s >= 30 times the depth.
    // Over a conducting basement the curve comes down to the basement resistivity.
    struct Case {
        std::vector<double> rho, thk;
        double s, expected, tolerance;
    };
    const Case cases[] = {
        {{10.0, 1.0e7}, {1.0}, 300.0, 300.0 / (1.0 / 10.0), 2e-3},
        {{30.0, 5.0, 60.0, 1.0e8},
         {2.0, 1.0, 6.0},
         600.0,
         600.0 / (2.0 / 30.0 + 1.0 / 5.0 + 6.0 / 60.0),
         2e-3},
        {{100.0, 0.01}, {2.0}, 1.0e4, 0.01, 1e-3},
        {{100.0, 1000.0, 1.0}, {5.0, 10.0}, 2.0e5, 1.0, 1e-3},
    };
    for (const Case& c : cases) {
        const std::vector<double> s{c.s};
        EXPECT_NEAR(model::apparentResistivity(layers(c.rho, c.thk), s)[0] / c.expected, 1.0, c.tolerance);
    }
}

TEST(ForwardModel, TheLongFilterAgreesOnManyLayers) {
    // No closed form for five layers: two independent published filters must agree.
    const std::vector<double> ab2 = logSpaced(1.0, 2000.0, 25);
    std::vector<double> mn2;
    for (double s : ab2)
        mn2.push_back(s / 5.0);
    const std::vector<double> rho{120.0, 15.0, 900.0, 40.0, 3000.0};
    const std::vector<double> thk{1.5, 4.0, 12.0, 30.0};
    const model::SchlumbergerForward key(ab2, mn2, model::HankelFilter::key201());
    const model::SchlumbergerForward anderson(ab2, mn2, model::HankelFilter::anderson801());
    std::vector<double> a(ab2.size()), b(ab2.size());
    key.apparentResistivity(rho, thk, a);
    anderson.apparentResistivity(rho, thk, b);
    for (std::size_t i = 0; i < ab2.size(); ++i)
        EXPECT_NEAR(a[i] / b[i], 1.0, 1e-6) << ab2[i];
}

TEST(ForwardModel, ChargeabilityFollowsSeigel) {
    const std::vector<double> ab2 = logSpaced(1.0, 1000.0, 13);
    // A uniform chargeability scales every resistivity alike, so ma equals it at every spacing.
    const std::vector<double> uniform =
        model::apparentChargeability(layers({50.0, 500.0, 5.0}, {3.0, 20.0}, {7.0, 7.0, 7.0}), ab2);
    for (double ma : uniform)
        EXPECT_NEAR(ma, 7.0, 1e-9);
    // Two layers: ma = 1 - rhoa(rho1 (1 - m1), rho2 (1 - m2)) / rhoa(rho1, rho2) from the image series.
    const double m1 = 0.02, m2 = 0.15;
    const std::vector<double> ma =
        model::apparentChargeability(layers({60.0, 15.0}, {8.0}, {100 * m1, 100 * m2}), ab2);
    for (std::size_t i = 0; i < ab2.size(); ++i) {
        const double exact = 1.0 - imageseries::ideal(60.0 * (1 - m1), 15.0 * (1 - m2), 8.0, ab2[i]) /
                                       imageseries::ideal(60.0, 15.0, 8.0, ab2[i]);
        EXPECT_NEAR(ma[i], 100.0 * exact, 1e-4) << ab2[i];
    }
}

TEST(ForwardModel, InvalidModelsAndSpacingsGiveNaN) {
    const std::vector<double> ab2{1.0, 10.0};
    const LayeredModel invalid[] = {LayeredModel{},
                                    layers({-5.0}, {}),
                                    layers({10.0, 20.0}, {0.0}),
                                    layers({10.0, NAN}, {1.0}),
                                    layers({10.0, 20.0}, {INFINITY}),
                                    layers({10.0}, {}, {100.0})};
    for (const LayeredModel& m : invalid)
        for (double v : model::apparentResistivity(m, ab2))
            EXPECT_TRUE(std::isnan(v));
    for (double v : model::apparentResistivity(layers({10.0}, {}), std::vector<double>{1.0, -2.0}))
        EXPECT_TRUE(std::isnan(v));

    // The engine itself: unusable spacings give NaN at their place only, unusable layer lists NaN everywhere.
    const std::vector<double> spacings{NAN, 10.0, -1.0, INFINITY, 0.0, 1e300};
    const model::SchlumbergerForward forward(spacings);
    std::vector<double> out(spacings.size());
    const std::vector<double> rho{10.0, 100.0}, thk{5.0};
    forward.apparentResistivity(rho, thk, out);
    for (std::size_t i = 0; i < out.size(); ++i)
        EXPECT_EQ(std::isnan(out[i]), i != 1) << i;
    forward.apparentResistivity(rho, {}, out);
    forward.apparentResistivity({}, {}, out);
    for (double v : out)
        EXPECT_TRUE(std::isnan(v));
    const model::SchlumbergerForward none(std::vector<double>{NAN, -5.0});
    std::vector<double> two(2);
    none.apparentResistivity(rho, thk, two);
    EXPECT_TRUE(std::isnan(two[0]) && std::isnan(two[1]));
}

// The analytic derivatives of ln rhoa by ln rho_i and ln h_i against central differences of the values.
TEST(ForwardModel, AnalyticJacobianMatchesCentralDifferences) {
    struct Case {
        std::vector<double> rho, thk;
        bool finiteMn;
    };
    const Case cases[] = {
        {{100.0}, {}, false},
        {{100.0, 10.0}, {5.0}, false},
        {{10.0, 1000.0, 50.0}, {1.0, 8.0}, true},
        {{300.0, 30.0, 3000.0, 10.0}, {2.0, 10.0, 40.0}, true},
        {{1.0, 1.0e5}, {3.0}, true},
        {{500.0, 80.0, 20.0, 200.0, 5.0, 1000.0}, {0.5, 2.0, 6.0, 15.0, 60.0}, false},
    };
    const std::vector<double> ab2 = logSpaced(1.0, 500.0, 25);
    std::vector<double> mn2;
    for (double s : ab2)
        mn2.push_back(s < 10.0 ? 0.5 : 5.0);
    for (const Case& c : cases) {
        const model::SchlumbergerForward forward(ab2, c.finiteMn ? std::span<const double>(mn2)
                                                                 : std::span<const double>());
        const std::size_t n = c.rho.size();
        const std::size_t columns = 2 * n - 1;
        std::vector<double> value(ab2.size()), jacobian(ab2.size() * columns);
        forward.logJacobian(c.rho, c.thk, value, jacobian);
        for (std::size_t j = 0; j < columns; ++j) {
            const double h = 1e-5;
            std::vector<double> rho = c.rho, thk = c.thk;
            double& p = j < n ? rho[j] : thk[j - n];
            const double at = p;
            std::vector<double> up(ab2.size()), down(ab2.size());
            p = at * std::exp(h);
            forward.apparentResistivity(rho, thk, up);
            p = at * std::exp(-h);
            forward.apparentResistivity(rho, thk, down);
            for (std::size_t i = 0; i < ab2.size(); ++i) {
                const double difference = (std::log(up[i]) - std::log(down[i])) / (2 * h);
                EXPECT_NEAR(jacobian[j * ab2.size() + i], difference, 1e-6)
                    << "layers " << n << ", column " << j << ", AB/2 " << ab2[i];
            }
        }
    }
}

// Inside the stated domain every value is finite and lies between the smallest and largest layer
// resistivity, whatever the contrast; outside it the model is refused.
TEST(ForwardModel, EveryValueInsideTheDomainLiesBetweenTheLayers) {
    const std::vector<double> ab2 = logSpaced(0.5, 5000.0, 30);
    for (int e = -12; e <= 12; ++e) {
        const double contrast = std::pow(10.0, e);
        for (double base : {1e-6 * std::max(1.0, 1.0 / contrast), 1.0, 1e9 / std::max(1.0, contrast)}) {
            for (const LayeredModel& earth :
                 {layers({base, base * contrast}, {5.0}), layers({base, base * contrast, base}, {1.0, 10.0}),
                  layers({base * contrast, base, base * contrast}, {2.0, 0.5})}) {
                if (!model::modelOutsideDomain(earth).empty())
                    continue;
                const double low = std::min(base, base * contrast) * (1 - 1e-15);
                const double high = std::max(base, base * contrast) * (1 + 1e-15);
                for (double v : model::apparentResistivity(earth, ab2)) {
                    ASSERT_TRUE(std::isfinite(v)) << "contrast 1e" << e << " base " << base;
                    ASSERT_GE(v, low) << "contrast 1e" << e << " base " << base;
                    ASSERT_LE(v, high) << "contrast 1e" << e << " base " << base;
                }
            }
        }
    }
    // The domain's edges: what the command line and the model files refuse.
    EXPECT_NE(model::modelOutsideDomain(layers({1.0, 1e11}, {5.0})), "");
    EXPECT_NE(model::modelOutsideDomain(layers({1e154, 1e154}, {5.0})), "");
    EXPECT_NE(model::modelOutsideDomain(layers({100.0, 10.0}, {1e-9})), "");
    EXPECT_EQ(model::modelOutsideDomain(layers({1e-6, 1e4}, {1e-4})), "");
    EXPECT_NE(model::spacingOutsideDomain(std::vector<double>{1e9}), "");
    EXPECT_EQ(model::spacingOutsideDomain(std::vector<double>{0.1, 1e5}), "");
}

// Why a model or a spacing is refused, in the command line's words and in the window's.
TEST(ForwardDomain, ReasonsNameTheQuantityTheLayerTheValueAndTheRange) {
    struct Row {
        std::optional<model::DomainReason> reason;
        std::string english;
        std::string chinese;
    };
    const Row rows[] = {
        {model::modelReason(LayeredModel{}), "the model has no layer", "模型没有层"},
        {model::modelReason(layers({10.0, 1e10}, {5.0})),
         "layer 2: resistivity 1e+10 ohm-m is outside 1e-06 to 1e+09 ohm-m",
         "第2层电阻率 1e+10 Ω·m 超出范围 1e-06…1e+09 Ω·m"},
        {model::modelReason(layers({100.0, 10.0}, {1e9})),
         "layer 1: thickness 1e+09 m is outside 0.0001 to 1e+07 m",
         "第1层厚度 1e+09 m 超出范围 0.0001…1e+07 m"},
        {model::modelReason(layers({100.0, 10.0}, {5.0}, {200.0, 1.0})),
         "layer 1: chargeability 200 % is outside [0, 100)", "第1层极化率 200 % 超出范围 [0, 100) %"},
        {model::modelReason(layers({1e-3, 1e8}, {2.0})), "the resistivity contrast 1e+11 exceeds 1e+10",
         "电阻率之比 1e+11 超过 1e+10"},
        {model::spacingReason(std::vector<double>{1.0, 1e-5}), "AB/2 1e-05 m is outside 0.001 to 1e+07 m",
         "AB/2 1e-05 m 超出范围 0.001…1e+07 m"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(row.reason.has_value()) << row.english;
        EXPECT_EQ(row.reason->english(), row.english);
        EXPECT_EQ(row.reason->chinese(), row.chinese);
    }
}

// The stated accuracy: 1e-6 against the image series up to contrasts of 1e5, either way.
TEST(ForwardModel, AccuracyHoldsToTheStatedContrasts) {
    const std::vector<double> ab2 = logSpaced(1.0, 1000.0, 19);
    const model::SchlumbergerForward forward(ab2);
    for (int e = 1; e <= 5; ++e) {
        const double contrast = std::pow(10.0, e);
        for (const auto& [rho1, rho2] : {std::pair{1.0, contrast}, std::pair{contrast, 1.0}}) {
            std::vector<double> value(ab2.size());
            forward.apparentResistivity(std::vector<double>{rho1, rho2}, std::vector<double>{5.0}, value);
            for (std::size_t i = 0; i < ab2.size(); ++i)
                EXPECT_NEAR(value[i] / imageseries::ideal(rho1, rho2, 5.0, ab2[i]), 1.0, 1e-6)
                    << "contrast 1e" << e << " AB/2 " << ab2[i];
        }
    }
}

// MN/2 far below AB/2 is an ideal array, not a quadrature over nothing.
TEST(ForwardModel, TinyMn2IsTheIdealArray) {
    const LayeredModel earth = layers({100.0, 10.0}, {5.0});
    const std::vector<double> ab2{10.0, 100.0};
    const std::vector<double> ideal = model::apparentResistivity(earth, ab2);
    for (double b : {1e-300, 1e-12, 1e-6})
        for (std::size_t i = 0; i < ab2.size(); ++i)
            EXPECT_NEAR(model::apparentResistivity(earth, ab2, std::vector<double>{b, b})[i], ideal[i],
                        1e-6 * ideal[i]);
}

// The column reader keeps AB/2 0.0001 m high: a row written with MN/2 = AB/2 is an ideal array, as the
// file's convention says, and a row with MN/2 well below AB/2 keeps its finite array.
TEST(SoundingData, Mn2WrittenEqualToAb2IsAnIdealArray) {
    model::SoundingData data;
    data.ab2 = {10.0001, 10.0001, 1000.0001};
    data.mn2 = {10.0, 9.0, 1000.0};
    data.rhoa = {50.0, 50.0, 80.0};
    const model::UsablePoints points = model::UsablePoints::of(data, false);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points.mn2[0], 0.0);
    EXPECT_EQ(points.mn2[1], 9.0);
    EXPECT_EQ(points.mn2[2], 0.0);
    EXPECT_EQ(points.measuredMn2[0], 10.0) << "the segment it belongs to stays the measured MN/2";
}
