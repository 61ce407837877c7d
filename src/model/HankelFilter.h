#pragma once

#include <cstddef>
#include <span>

namespace model {

// A published digital linear filter for the Hankel transform of order 1:
//     integral_0^inf f(lambda) J1(lambda r) dlambda  ~=  (1/r) sum_i f(base_i / r) j1_i
// The abscissae are log-spaced with a constant step, which lets one kernel grid serve many distances
// (lagged convolution). The tables are generated from the text files in src/model/filters/.
class HankelFilter {
public:
    HankelFilter(std::span<const double> base, std::span<const double> j1);

    std::span<const double> base() const { return base_; }
    std::span<const double> j1() const { return j1_; }
    std::size_t size() const { return base_.size(); }
    // Natural logarithm of the first abscissa and the constant step between abscissae.
    double logBase0() const { return logBase0_; }
    double logStep() const { return logStep_; }

    // Key (2012), 201 points: the filter the forward modelling uses.
    static const HankelFilter& key201();
    // Anderson (1982), 801 points: the longer filter, used as a cross-check.
    static const HankelFilter& anderson801();

private:
    std::span<const double> base_;
    std::span<const double> j1_;
    double logBase0_;
    double logStep_;
};

} // namespace model
