#include "model/SchlumbergerForward.h"

#include <Eigen/Dense>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace model {

namespace {

// Interpolation in log AB/2 uses this many grid values around each point. The curve is analytic in a wide
// strip around the real ln(AB/2) axis, so a wide stencil converges fast: 28 points keep the interpolation
// error near 1e-8 at the filter's own step even for 1:10,000 contrasts (8 points: 1e-4).
constexpr int kStencil = 28;
constexpr int kHalfStencil = kStencil / 2;
// e^(-2 * kOpaque) is below the rounding of 1.
constexpr double kOpaque = 19.0;
// Longest AB/2 (m) modelled; beyond any survey, it keeps the grid bounded.
constexpr double kLongest = 1e9;
// The grid of half-spacings has this many points per step of the filter (2 halves the interpolation step
// at twice the kernel cost; the wide stencil makes 1 enough).
constexpr int kRefine = 1;
// Widest panel (in ln r) of the quadrature over the potential electrodes.
constexpr double kPanelWidth = 0.25;

// 8-point Gauss-Legendre nodes and weights on [-1, 1].
constexpr std::array<double, 8> kGaussNodes{-0.9602898564975363, -0.7966664774136267, -0.5255324099163290,
                                            -0.1834346424956498, 0.1834346424956498,  0.5255324099163290,
                                            0.7966664774136267,  0.9602898564975363};
constexpr std::array<double, 8> kGaussWeights{0.1012285362903763, 0.2223810344533745, 0.3137066458778873,
                                              0.3626837833783620, 0.3626837833783620, 0.3137066458778873,
                                              0.2223810344533745, 0.1012285362903763};

} // namespace

struct SchlumbergerForward::Impl {
    Eigen::ArrayXd lambda; // kernel grid, 1/m
    Eigen::MatrixXd op;    // points x kernel grid: rhoa = reference + op * (T - reference kernel)
    Eigen::ArrayXd ab2;    // AB/2 per point, m
    Eigen::ArrayXd mn2;    // MN/2 per point, m, 0 for an ideal array
    mutable Eigen::ArrayXd t;
    mutable Eigen::ArrayXd th;
    mutable Eigen::VectorXd result;
    std::vector<bool> usable; // finite, positive AB/2
};

SchlumbergerForward::SchlumbergerForward(std::span<const double> ab2, std::span<const double> mn2,
                                         const HankelFilter& filter)
    : impl_(std::make_unique<Impl>()) {
    const auto points = static_cast<Eigen::Index>(ab2.size());
    const double filterStep = filter.logStep();
    const double step = filterStep / kRefine;
    auto halfSpacing = [&](std::size_t i) {
        const double b = i < mn2.size() ? mn2[i] : 0.0;
        return b > 0.0 && b < ab2[i] ? b : 0.0;
    };
    impl_->usable.resize(ab2.size());
    for (std::size_t i = 0; i < ab2.size(); ++i)
        impl_->usable[i] = std::isfinite(ab2[i]) && ab2[i] > 0.0 && ab2[i] < kLongest;
    impl_->result.setZero(points);
    if (std::find(impl_->usable.begin(), impl_->usable.end(), true) == impl_->usable.end()) {
        impl_->op.resize(points, 0);
        impl_->ab2.setZero(points);
        impl_->mn2.setZero(points);
        return;
    }
    // Range of distances r at which the ideal curve is needed.
    double logMin = INFINITY;
    double logMax = -INFINITY;
    for (std::size_t i = 0; i < ab2.size(); ++i) {
        if (!impl_->usable[i])
            continue;
        const double b = halfSpacing(i);
        logMin = std::min(logMin, std::log(ab2[i] - b));
        logMax = std::max(logMax, std::log(ab2[i] + b));
    }
    // Grid of distances r_j = exp(logRef + j * step), with room for the stencil at both ends.
    const double logRef = logMin - kHalfStencil * step;
    const auto gridSize = static_cast<Eigen::Index>(std::ceil((logMax - logRef) / step)) + kHalfStencil + 1;
    const auto filterSize = static_cast<Eigen::Index>(filter.size());
    // rhoa_ideal(r_j) = sum_i T(base_i / r_j) base_i j1_i; base_i / r_j lies on the kernel grid (step
    // filterStep / kRefine) at index kRefine * i - j + gridSize - 1.
    const Eigen::Index kernelSize = kRefine * (filterSize - 1) + gridSize;
    impl_->lambda.resize(kernelSize);
    for (Eigen::Index q = 0; q < kernelSize; ++q)
        impl_->lambda[q] =
            std::exp(filter.logBase0() - logRef + static_cast<double>(q - (gridSize - 1)) * step);
    Eigen::VectorXd coefficient(filterSize);
    for (Eigen::Index i = 0; i < filterSize; ++i)
        coefficient[i] =
            filter.base()[static_cast<std::size_t>(i)] * filter.j1()[static_cast<std::size_t>(i)];

    // Weights of the grid values for each point.
    Eigen::MatrixXd gridWeights = Eigen::MatrixXd::Zero(points, gridSize);
    auto addInterpolated = [&](Eigen::Index row, double logR, double weight) {
        const double x = (logR - logRef) / step;
        const auto first = static_cast<Eigen::Index>(std::floor(x)) - (kHalfStencil - 1);
        for (int k = 0; k < kStencil; ++k) {
            double w = 1.0;
            for (int l = 0; l < kStencil; ++l)
                if (l != k)
                    w *= (x - static_cast<double>(first + l)) / static_cast<double>(k - l);
            gridWeights(row, first + k) += weight * w;
        }
    };
    for (std::size_t i = 0; i < ab2.size(); ++i) {
        const auto row = static_cast<Eigen::Index>(i);
        const double s = ab2[i];
        const double b = halfSpacing(i);
        if (!impl_->usable[i])
            continue;
        if (b == 0.0) {
            addInterpolated(row, std::log(s), 1.0);
            continue;
        }
        // rhoa = (s^2 - b^2) / (2b) * integral over t = ln r of rhoa_ideal(e^t) e^-t dt.
        const double lo = std::log(s - b);
        const double hi = std::log(s + b);
        const int panels = std::max(1, static_cast<int>(std::ceil((hi - lo) / kPanelWidth)));
        const double half = (hi - lo) / (2.0 * panels);
        const double factor = (s * s - b * b) / (2.0 * b);
        for (int p = 0; p < panels; ++p) {
            const double mid = lo + (2 * p + 1) * half;
            for (std::size_t g = 0; g < kGaussNodes.size(); ++g) {
                const double t = mid + half * kGaussNodes[g];
                addInterpolated(row, t, factor * half * kGaussWeights[g] * std::exp(-t));
            }
        }
    }
    // Fold the filter in: op(p, kRefine * i + gridSize - 1 - j) += gridWeights(p, j) * coefficient(i).
    impl_->op = Eigen::MatrixXd::Zero(points, kernelSize);
    for (Eigen::Index j = 0; j < gridSize; ++j) {
        const Eigen::Index first = gridSize - 1 - j;
        for (Eigen::Index p = 0; p < points; ++p) {
            const double w = gridWeights(p, j);
            if (w == 0.0)
                continue;
            for (Eigen::Index i = 0; i < filterSize; ++i)
                impl_->op(p, first + kRefine * i) += w * coefficient[i];
        }
    }
    impl_->ab2.resize(points);
    impl_->mn2.resize(points);
    for (std::size_t i = 0; i < ab2.size(); ++i) {
        impl_->ab2[static_cast<Eigen::Index>(i)] = ab2[i];
        impl_->mn2[static_cast<Eigen::Index>(i)] = halfSpacing(i);
    }
    impl_->t.resize(kernelSize);
    impl_->th.resize(kernelSize);
    impl_->result.resize(points);
}

SchlumbergerForward::~SchlumbergerForward() = default;
SchlumbergerForward::SchlumbergerForward(SchlumbergerForward&&) noexcept = default;
SchlumbergerForward& SchlumbergerForward::operator=(SchlumbergerForward&&) noexcept = default;

std::size_t SchlumbergerForward::size() const {
    return static_cast<std::size_t>(impl_->op.rows());
}

void SchlumbergerForward::apparentResistivity(std::span<const double> rho, std::span<const double> thk,
                                              std::span<double> out) const {
    Impl& d = *impl_;
    const std::size_t n = rho.size();
    if (n == 0 || thk.size() + 1 < n || out.size() < d.usable.size()) {
        std::fill(out.begin(), out.end(), std::numeric_limits<double>::quiet_NaN());
        return;
    }
    // Resistivity transform from the half-space up: T_n = rho_n,
    // T_i = (T_{i+1} + rho_i tanh(lambda h_i)) / (1 + T_{i+1} tanh(lambda h_i) / rho_i),
    // with tanh(x) = (1 - e^-2x) / (1 + e^-2x), which cannot overflow for large lambda h.
    // The grid is ascending in lambda. Where e^(-2 lambda z) is below rounding for the depth z of a layer's
    // bottom, the layer's transform is its own resistivity, whatever lies below.
    auto attenuated = [&d](double z) {
        if (z <= 0.0)
            return d.lambda.size();
        const double* first = d.lambda.data();
        return static_cast<Eigen::Index>(std::upper_bound(first, first + d.lambda.size(), kOpaque / z) -
                                         first);
    };
    double z = 0.0;
    for (std::size_t i = 0; i + 1 < n; ++i)
        z += thk[i];
    d.t.setConstant(rho[n - 1]);
    for (std::size_t i = n - 1; i-- > 0;) {
        const double r = rho[i];
        const Eigen::Index used = attenuated(z);
        z -= thk[i];
        auto t = d.t.head(used);
        auto e = d.th.head(used);
        e = (-2.0 * thk[i] * d.lambda.head(used)).exp();
        // With tanh(lambda h) = (1 - e) / (1 + e), e = e^(-2 lambda h), which cannot overflow:
        t = r * (t * (1.0 + e) + r * (1.0 - e)) / (r * (1.0 + e) + t * (1.0 - e));
        d.t.tail(d.lambda.size() - used).setConstant(r);
    }
    // Take out a reference kernel with a closed-form response that has the model's limits at both ends:
    // rho_n + (rho_1 - rho_n)(1 - e^(-2 lambda D)), D the depth to the half-space. The filter then only
    // sees a remainder that vanishes for small and large lambda, which keeps high contrasts accurate.
    const double top = rho[0];
    const double bottom = rho[n - 1];
    double depth = 0.0;
    for (std::size_t i = 0; i + 1 < n; ++i)
        depth += thk[i];
    d.t -= top;
    if (n > 1) {
        const Eigen::Index used = attenuated(depth);
        d.t.head(used) += (top - bottom) * (-2.0 * depth * d.lambda.head(used)).exp();
    }
    d.result.noalias() = d.op * d.t.matrix();
    // The reference response: e^(-2 lambda D) is the field of one image source at depth 2D, whose
    // Schlumberger response with MN/2 = b is 2s (s^2 - b^2) / (sqrt(x) sqrt(y) (sqrt(x) + sqrt(y))),
    // x = (s - b)^2 + 4D^2, y = (s + b)^2 + 4D^2 (s^3 / (s^2 + 4D^2)^(3/2) for b = 0).
    const double depth2 = 4.0 * depth * depth;
    for (std::size_t p = 0; p < d.usable.size(); ++p) {
        const auto i = static_cast<Eigen::Index>(p);
        const double s = d.ab2[i];
        const double b = d.mn2[i];
        const double x = std::sqrt((s - b) * (s - b) + depth2);
        const double y = std::sqrt((s + b) * (s + b) + depth2);
        const double image = 2.0 * s * (s * s - b * b) / (x * y * (x + y));
        out[p] = d.usable[p] ? bottom + (top - bottom) * (1.0 - image) + d.result[i]
                             : std::numeric_limits<double>::quiet_NaN();
    }
}

} // namespace model
