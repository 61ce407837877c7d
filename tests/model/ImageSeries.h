#pragma once

#include <cmath>

// Closed forms of a two-layer earth (a layer rho1 of thickness h over a half-space rho2) by the method of
// images: a current source at the surface sees images at depths 2nh with strengths k^n,
// k = (rho2 - rho1) / (rho2 + rho1). The potential at distance r is
//     V(r) = rho1 I / (2 pi) * [1/r + 2 sum_n k^n / sqrt(r^2 + (2nh)^2)].
// Ideal Schlumberger array: rhoa = 2 pi s^2 / I * (-dV/dr at s), so
//     rhoa = rho1 [1 + 2 sum_n k^n s^3 / (s^2 + (2nh)^2)^(3/2)].
// MN/2 = b: A at -s, B at +s, M at -b, N at +b give dV = 2 (V(s - b) - V(s + b)) for a unit source, and
// K = pi (s^2 - b^2) / (2b), so
//     rhoa = rho1 [1 + (s^2 - b^2) / b * sum_n k^n (1/sqrt((s-b)^2 + d^2) - 1/sqrt((s+b)^2 + d^2))], d = 2nh.
// The sums run until the bound of the rest, |k|^n (s/d)^3 / (1 - |k|), is negligible.
namespace imageseries {

template <class Term> double sum(double k, double s, double h, Term term) {
    double total = 0.0;
    double kn = 1.0;
    const double tail = 1.0 / (1.0 - std::abs(k));
    for (long n = 1; n < 50'000'000; ++n) {
        kn *= k;
        total += kn * term(2.0 * static_cast<double>(n) * h);
        const double ratio = s / (2.0 * static_cast<double>(n) * h);
        if (std::abs(kn) * ratio * ratio * ratio * tail < 1e-14 && ratio < 1.0)
            break;
    }
    return total;
}

inline double ideal(double rho1, double rho2, double h, double s) {
    const double k = (rho2 - rho1) / (rho2 + rho1);
    const double series = sum(k, s, h, [s](double d) { return s * s * s / std::pow(s * s + d * d, 1.5); });
    return rho1 * (1.0 + 2.0 * series);
}

inline double finite(double rho1, double rho2, double h, double s, double b) {
    const double k = (rho2 - rho1) / (rho2 + rho1);
    const double series = sum(k, s, h, [s, b](double d) {
        return 1.0 / std::sqrt((s - b) * (s - b) + d * d) - 1.0 / std::sqrt((s + b) * (s + b) + d * d);
    });
    return rho1 * (1.0 + (s * s - b * b) / b * series);
}

} // namespace imageseries
