#pragma once

#include <cstddef>
#include <memory>
#include <span>

#include "model/HankelFilter.h"

namespace model {

// Apparent resistivity of a Schlumberger sounding at a fixed set of points for any number of layered
// models: the set-up is done once per set of points, each evaluation then costs one kernel evaluation on
// a shared log-spaced wavenumber grid and one small matrix-vector product.
//
// The resistivity transform T(lambda) is evaluated on one grid with the filter's step (lagged convolution);
// the ideal apparent resistivity on a log-spaced grid of half-spacings follows by the filter, and each
// point's value by 8-point interpolation in log AB/2. A point with finite MN/2 = b is the exact average of
// the ideal curve over the potential electrodes: rhoa = (s^2 - b^2) / (2b) * integral_{s-b}^{s+b}
// rhoa_ideal(r) / r^2 dr (Gauss-Legendre in ln r). All of that is linear in T, so it is folded into one
// matrix at set-up. A two-ended reference with a closed-form response is taken out of the transform
// first, so a half-space is exact and strong contrasts stay accurate.
//
// Not thread-safe: an object keeps scratch space; use one object per thread.
class SchlumbergerForward {
public:
    // ab2: AB/2 (m) inside the modelling domain, else that point's value is NaN. mn2: MN/2 (m) per point,
    // empty for all ideal; a value not below AB/2, or far below it (see ForwardDomain.h), is ideal.
    explicit SchlumbergerForward(std::span<const double> ab2, std::span<const double> mn2 = {},
                                 const HankelFilter& filter = HankelFilter::key201());
    ~SchlumbergerForward();
    SchlumbergerForward(SchlumbergerForward&&) noexcept;
    SchlumbergerForward& operator=(SchlumbergerForward&&) noexcept;

    std::size_t size() const;

    // rho: resistivities (ohm-m) of n >= 1 layers; thk: the n - 1 thicknesses (m) above the half-space.
    // out: size() apparent resistivities (ohm-m). The values must be finite and positive.
    void apparentResistivity(std::span<const double> rho, std::span<const double> thk,
                             std::span<double> out) const;
    // The same values in `out`, and in `jacobian` (size() rows by 2n - 1 columns, column-major) the
    // derivatives of ln rhoa with respect to ln rho_1..rho_n and ln h_1..h_(n-1), taken analytically
    // through the transform recursion and the folded filter.
    void logJacobian(std::span<const double> rho, std::span<const double> thk, std::span<double> out,
                     std::span<double> jacobian) const;

private:
    void evaluate(std::span<const double> rho, std::span<const double> thk, std::span<double> out,
                  std::span<double> jacobian) const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace model
