#include <gtest/gtest.h>

#include <Eigen/Core>

#include <cmath>
#include <limits>

#include "model/FDistribution.h"
#include "model/LevenbergMarquardt.h"
#include "model/NonNegativeLeastSquares.h"

using model::LevenbergMarquardt;
using Outcome = LevenbergMarquardt::Outcome;

namespace {

Eigen::VectorXd vec(std::initializer_list<double> values) {
    Eigen::VectorXd v(static_cast<Eigen::Index>(values.size()));
    Eigen::Index i = 0;
    for (double x : values)
        v[i++] = x;
    return v;
}

// Rosenbrock's valley as residuals: 10 (y - x^2), 1 - x; the minimum is (1, 1) with cost 0.
bool rosenbrock(const Eigen::VectorXd& p, Eigen::VectorXd& r) {
    r = vec({10.0 * (p[1] - p[0] * p[0]), 1.0 - p[0]});
    return true;
}

} // namespace

TEST(LevenbergMarquardt, ReachesTheMinimumOrTheBoundAndSaysWhy) {
    struct Case {
        const char* what;
        Eigen::VectorXd lower, upper, start, expected;
        double cost;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"free valley", vec({-inf, -inf}), vec({inf, inf}), vec({-1.2, 1.0}), vec({1.0, 1.0}), 0.0},
        // Bounded away from the minimum: x <= 0.5 puts the constrained minimum on the bound x = 0.5,
        // y = x^2 = 0.25, cost (1 - 0.5)^2.
        {"bound on x", vec({-2.0, -2.0}), vec({0.5, 2.0}), vec({-1.2, 1.0}), vec({0.5, 0.25}), 0.25},
        // y held by equal bounds: min over x of 100 (2 - x^2)^2 + (1 - x)^2, where 400 x (2 - x^2) = 2 (x -
        // 1): x^2 = 2 - 0.001464, x = 1.41370.
        {"held y", vec({-2.0, 2.0}), vec({2.0, 2.0}), vec({0.5, 2.0}), vec({1.41370, 2.0}), -1.0},
    };
    for (const Case& c : cases) {
        const LevenbergMarquardt lm(LevenbergMarquardt::PlainResiduals(rosenbrock), c.lower, c.upper);
        const LevenbergMarquardt::Result result = lm.minimise(c.start, 200);
        EXPECT_EQ(result.outcome, Outcome::Converged) << c.what;
        EXPECT_NEAR(result.x[0], c.expected[0], 1e-4) << c.what;
        EXPECT_NEAR(result.x[1], c.expected[1], 1e-4) << c.what;
        Eigen::VectorXd r;
        rosenbrock(result.x, r);
        EXPECT_DOUBLE_EQ(result.sumOfSquares, r.squaredNorm())
            << c.what << ": the reported cost is the true one";
        if (c.cost >= 0.0) {
            EXPECT_NEAR(result.sumOfSquares, c.cost, 1e-8) << c.what;
        }
    }
}

// A residual that cannot be evaluated in part of the space is a failed step, never a perfect fit; the
// cost reported is the true cost of the point returned.
TEST(LevenbergMarquardt, FailedEvaluationsAreFailedStepsNotPerfectFits) {
    int calls = 0;
    const LevenbergMarquardt::PlainResiduals failsPastOne = [&](const Eigen::VectorXd& p,
                                                                Eigen::VectorXd& r) {
        ++calls;
        if (p[0] > 1.5)
            return false;
        r = vec({p[0] - 3.0, 0.1 * p[1]});
        return true;
    };
    const LevenbergMarquardt lm(failsPastOne, vec({-10.0, -10.0}), vec({10.0, 10.0}));
    const LevenbergMarquardt::Result result = lm.minimise(vec({0.0, 1.0}), 100);
    EXPECT_GT(result.sumOfSquares, 2.0) << "x cannot pass 1.5, so the cost stays above (3 - 1.5)^2";
    EXPECT_LE(result.x[0], 1.5);
    Eigen::VectorXd r;
    ASSERT_TRUE(failsPastOne(result.x, r));
    EXPECT_DOUBLE_EQ(result.sumOfSquares, r.squaredNorm());
    EXPECT_NE(result.outcome, Outcome::NotEvaluable);

    const LevenbergMarquardt never([](const Eigen::VectorXd&, Eigen::VectorXd&) { return false; },
                                   vec({-1.0}), vec({1.0}));
    const LevenbergMarquardt::Result none = never.minimise(vec({0.0}), 10);
    EXPECT_EQ(none.outcome, Outcome::NotEvaluable);
    EXPECT_TRUE(std::isinf(none.sumOfSquares));
    EXPECT_FALSE(none.converged());
}

// Few iterations from far away are not convergence.
TEST(LevenbergMarquardt, AnIterationLimitIsNotConvergence) {
    const LevenbergMarquardt lm(LevenbergMarquardt::PlainResiduals(rosenbrock), vec({-5.0, -5.0}),
                                vec({5.0, 5.0}));
    const LevenbergMarquardt::Result result = lm.minimise(vec({-1.2, 1.0}), 2);
    EXPECT_EQ(result.outcome, Outcome::IterationLimit);
    EXPECT_FALSE(result.converged());
}

TEST(NonNegativeLeastSquares, SolvesWithAndWithoutActiveConstraints) {
    struct Case {
        const char* what;
        Eigen::MatrixXd a;
        Eigen::VectorXd b, expected;
    };
    Eigen::MatrixXd identity = Eigen::MatrixXd::Identity(3, 3);
    Eigen::MatrixXd tall(4, 2);
    tall << 1, 0, 0, 1, 1, 1, 1, -1;
    const Case cases[] = {
        {"interior", identity, vec({1.0, 2.0, 3.0}), vec({1.0, 2.0, 3.0})},
        {"one clipped", identity, vec({1.0, -2.0, 3.0}), vec({1.0, 0.0, 3.0})},
        {"all clipped", identity, vec({-1.0, -2.0, -3.0}), vec({0.0, 0.0, 0.0})},
        // Unconstrained least squares gives x2 < 0; with x2 = 0 the best x1 is mean(1, 1, 1) over its rows.
        {"coupled", tall, vec({1.0, -1.0, 1.0, 1.0}), vec({1.0, 0.0})},
    };
    for (const Case& c : cases) {
        const Eigen::VectorXd x = model::nonNegativeLeastSquares(c.a, c.b);
        for (Eigen::Index i = 0; i < x.size(); ++i)
            EXPECT_NEAR(x[i], c.expected[i], 1e-12) << c.what << ", component " << i;
    }
}

TEST(FDistribution, QuantilesMatchTheTables) {
    struct Case {
        double p, d1, d2, quantile;
    };
    // Published 95 % and 99 % points; F(1, n) is the square of Student's t.
    const Case cases[] = {
        {0.95, 1, 10, 4.9646}, {0.95, 1, 1e7, 3.8415}, {0.95, 2, 20, 3.4928},
        {0.95, 4, 12, 3.2592}, {0.99, 1, 5, 16.258},   {0.95, 1, 1, 161.45},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(model::fQuantile(c.p, c.d1, c.d2), c.quantile, 2e-4 * c.quantile)
            << c.p << " " << c.d1 << " " << c.d2;
    EXPECT_TRUE(std::isnan(model::fQuantile(0.95, 1, 0)));
}
