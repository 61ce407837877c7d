#include "model/FDistribution.h"

#include <cmath>
#include <limits>

namespace model {

namespace {

// Continued fraction of the incomplete beta function (modified Lentz).
double betaFraction(double a, double b, double x) {
    constexpr double tiny = 1e-300;
    double c = 1.0;
    double d = 1.0 - (a + b) * x / (a + 1.0);
    d = 1.0 / (std::abs(d) < tiny ? tiny : d);
    double h = d;
    for (int m = 1; m <= 1000; ++m) {
        const double m2 = 2.0 * m;
        double aa = m * (b - m) * x / ((a + m2 - 1.0) * (a + m2));
        d = 1.0 + aa * d;
        d = 1.0 / (std::abs(d) < tiny ? tiny : d);
        c = 1.0 + aa / c;
        c = std::abs(c) < tiny ? tiny : c;
        h *= d * c;
        aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1.0));
        d = 1.0 + aa * d;
        d = 1.0 / (std::abs(d) < tiny ? tiny : d);
        c = 1.0 + aa / c;
        c = std::abs(c) < tiny ? tiny : c;
        const double delta = d * c;
        h *= delta;
        if (std::abs(delta - 1.0) < 1e-15)
            break;
    }
    return h;
}

// The regularised incomplete beta function I_x(a, b).
double incompleteBeta(double a, double b, double x) {
    if (x <= 0.0)
        return 0.0;
    if (x >= 1.0)
        return 1.0;
    const double front =
        std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log1p(-x));
    if (x < (a + 1.0) / (a + b + 2.0))
        return front * betaFraction(a, b, x) / a;
    return 1.0 - front * betaFraction(b, a, 1.0 - x) / b;
}

} // namespace

double fDistribution(double x, double d1, double d2) {
    if (!(x > 0.0))
        return 0.0;
    return incompleteBeta(d1 / 2.0, d2 / 2.0, d1 * x / (d1 * x + d2));
}

double fQuantile(double p, double d1, double d2) {
    if (!(p > 0.0 && p < 1.0 && d1 > 0.0 && d2 > 0.0))
        return std::numeric_limits<double>::quiet_NaN();
    double low = 0.0;
    double high = 1.0;
    while (fDistribution(high, d1, d2) < p && high < 1e300)
        high *= 2.0;
    for (int i = 0; i < 200 && high - low > 1e-12 * high; ++i) {
        const double mid = 0.5 * (low + high);
        (fDistribution(mid, d1, d2) < p ? low : high) = mid;
    }
    return 0.5 * (low + high);
}

} // namespace model
