#include "model/SchlumbergerForward.h"

#include "model/ForwardDomain.h"

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

// MN/2 of point i as modelled: 0 (an ideal array) when none is given or it is a negligible fraction of AB/2.
double halfSpacing(std::span<const double> ab2, std::span<const double> mn2, std::size_t i) {
    const double b = i < mn2.size() ? mn2[i] : 0.0;
    return b >= domain::kIdealFraction * ab2[i] && b < ab2[i] ? b : 0.0;
}

// Weights of the grid values r_j = exp(logRef + j * step) for each point: Lagrange interpolation in ln r
// for an ideal array, and Gauss-Legendre quadrature of the interpolated curve between the potential
// electrodes otherwise.
Eigen::MatrixXd gridWeightsOf(std::span<const double> ab2, std::span<const double> mn2,
                              const std::vector<bool>& usable, double logRef, double step,
                              Eigen::Index gridSize) {
    const auto points = static_cast<Eigen::Index>(ab2.size());
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
        const double b = halfSpacing(ab2, mn2, i);
        if (!usable[i])
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
    return gridWeights;
}

// Folds the filter in: op(p, kRefine * i + gridSize - 1 - j) += gridWeights(p, j) * coefficient(i).
Eigen::MatrixXd foldFilter(const Eigen::MatrixXd& gridWeights, const Eigen::VectorXd& coefficient,
                           Eigen::Index kernelSize) {
    const Eigen::Index points = gridWeights.rows();
    const Eigen::Index gridSize = gridWeights.cols();
    const Eigen::Index filterSize = coefficient.size();
    Eigen::MatrixXd op = Eigen::MatrixXd::Zero(points, kernelSize);
    for (Eigen::Index j = 0; j < gridSize; ++j) {
        const Eigen::Index first = gridSize - 1 - j;
        for (Eigen::Index p = 0; p < points; ++p) {
            const double w = gridWeights(p, j);
            if (w == 0.0)
                continue;
            for (Eigen::Index i = 0; i < filterSize; ++i)
                op(p, first + kRefine * i) += w * coefficient[i];
        }
    }
    return op;
}

} // namespace

struct SchlumbergerForward::Impl {
    Eigen::ArrayXd lambda; // kernel grid, 1/m
    Eigen::MatrixXd op;    // points x kernel grid: rhoa = reference + op * (T - reference kernel)
    Eigen::ArrayXd ab2;    // AB/2 per point, m
    Eigen::ArrayXd mn2;    // MN/2 per point, m, 0 for an ideal array
    mutable Eigen::ArrayXd t;
    mutable Eigen::ArrayXd th;
    mutable Eigen::VectorXd result;
    // Scratch of the derivatives: per kernel node and layer, then per kernel node and parameter.
    mutable Eigen::MatrixXd byNext, byRho, byThk, kernelJacobian;
    mutable Eigen::ArrayXd chain, scratchN, scratchM;
    std::vector<bool> usable; // finite, positive AB/2

    // The number of kernel nodes, from the smallest lambda, at which e^(-2 lambda z) is not below rounding.
    Eigen::Index attenuated(double z) const {
        if (z <= 0.0)
            return lambda.size();
        const double* first = lambda.data();
        return static_cast<Eigen::Index>(std::upper_bound(first, first + lambda.size(), kOpaque / z) - first);
    }

    // Resistivity transform from the half-space up into t: T_n = rho_n,
    // T_i = rho_i (T_{i+1} (1 + e) + rho_i (1 - e)) / (rho_i (1 + e) + T_{i+1} (1 - e)), e = e^(-2 lambda
    // h_i), which is the usual tanh recursion written so that it cannot overflow for large lambda h. The grid
    // is ascending in lambda. Where e^(-2 lambda z) is below rounding for the depth z of a layer's bottom,
    // the layer's transform is its own resistivity, whatever lies below. With derivatives, per layer above
    // the half-space: dT_i/dT_{i+1}, dT_i/d ln rho_i, dT_i/d ln h_i.
    void transform(std::span<const double> rho, std::span<const double> thk, double depth, bool derivatives) {
        const std::size_t n = rho.size();
        const auto kernel = lambda.size();
        if (derivatives) {
            byNext.resize(kernel, static_cast<Eigen::Index>(n));
            byRho.resize(kernel, static_cast<Eigen::Index>(n));
            byThk.resize(kernel, static_cast<Eigen::Index>(n));
        }
        double z = depth;
        t.setConstant(rho[n - 1]);
        for (std::size_t i = n - 1; i-- > 0;) {
            const double r = rho[i];
            const double h = thk[i];
            const Eigen::Index used = attenuated(z);
            z -= h;
            auto tu = t.head(used);
            auto e = th.head(used);
            e = (-2.0 * h * lambda.head(used)).exp();
            if (derivatives)
                layerDerivatives(i, r, h, used);
            tu = r * (tu * (1.0 + e) + r * (1.0 - e)) / (r * (1.0 + e) + tu * (1.0 - e));
            t.tail(kernel - used).setConstant(r);
        }
    }

    // Derivatives of layer i's transform (resistivity r, thickness h) at the first `used` kernel nodes, with
    // T_{i+1} in t and e in th; beyond them the transform is r.
    void layerDerivatives(std::size_t i, double r, double h, Eigen::Index used) {
        const auto kernel = lambda.size();
        auto tu = t.head(used);
        auto e = th.head(used);
        // With N = t (1 + e) + r (1 - e), M = r (1 + e) + t (1 - e) and T = r N / M.
        const auto col = static_cast<Eigen::Index>(i);
        auto numerator = scratchN.head(used);
        auto denominator = scratchM.head(used);
        numerator = tu * (1.0 + e) + r * (1.0 - e);
        denominator = r * (1.0 + e) + tu * (1.0 - e);
        const auto m2 = denominator.square();
        byNext.col(col).head(used) = r * ((1.0 + e) * denominator - numerator * (1.0 - e)) / m2;
        byRho.col(col).head(used) =
            r * ((numerator + r * (1.0 - e)) / denominator - r * numerator * (1.0 + e) / m2);
        // dT/de = r (t - r)(M + N) / M^2, de/d ln h = -2 lambda h e.
        byThk.col(col).head(used) =
            r * (tu - r) * (denominator + numerator) / m2 * (-2.0 * h * lambda.head(used) * e);
        byNext.col(col).tail(kernel - used).setZero();
        byRho.col(col).tail(kernel - used).setConstant(r);
        byThk.col(col).tail(kernel - used).setZero();
    }

    // The derivatives of the remainder kernel with respect to ln rho_1..rho_n, ln h_1..h_(n-1) into
    // kernelJacobian, chaining the layers' derivatives from the top down: g = dT_1 / dT_i.
    void chainDerivatives(std::span<const double> rho, std::span<const double> thk, double depth,
                          Eigen::Index usedDepth) {
        const std::size_t n = rho.size();
        const double top = rho[0];
        const double bottom = rho[n - 1];
        kernelJacobian.resize(lambda.size(), static_cast<Eigen::Index>(2 * n - 1));
        chain.setOnes(lambda.size());
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const auto col = static_cast<Eigen::Index>(i);
            kernelJacobian.col(col) = (chain * byRho.col(col).array()).matrix();
            kernelJacobian.col(static_cast<Eigen::Index>(n) + col) =
                (chain * byThk.col(col).array()).matrix();
            chain *= byNext.col(col).array();
        }
        kernelJacobian.col(static_cast<Eigen::Index>(n - 1)) = (chain * bottom).matrix();
        // The remainder's reference part.
        kernelJacobian.col(0).array() -= top;
        if (n > 1) {
            auto e = th.head(usedDepth);
            e = (-2.0 * depth * lambda.head(usedDepth)).exp();
            kernelJacobian.col(0).head(usedDepth).array() += top * e;
            kernelJacobian.col(static_cast<Eigen::Index>(n - 1)).head(usedDepth).array() -= bottom * e;
            for (std::size_t i = 0; i + 1 < n; ++i)
                kernelJacobian.col(static_cast<Eigen::Index>(n + i)).head(usedDepth).array() +=
                    (top - bottom) * e * (-2.0 * thk[i] * lambda.head(usedDepth));
        }
    }

    // The apparent resistivities: the reference response plus the filtered remainder in `result`, and with
    // derivatives the reference's own added to the remainder's in jac, divided by rhoa for the log ones.
    // The reference: e^(-2 lambda D) is the field of one image source at depth 2D, whose Schlumberger
    // response with MN/2 = b is 2s (s^2 - b^2) / (sqrt(x) sqrt(y) (sqrt(x) + sqrt(y))),
    // x = (s - b)^2 + 4D^2, y = (s + b)^2 + 4D^2 (s^3 / (s^2 + 4D^2)^(3/2) for b = 0).
    void addReference(std::span<const double> rho, std::span<const double> thk, double depth,
                      std::span<double> out, bool derivatives, Eigen::Map<Eigen::MatrixXd>& jac) const {
        const std::size_t n = rho.size();
        const double top = rho[0];
        const double bottom = rho[n - 1];
        const double depth2 = 4.0 * depth * depth;
        const double lowest = *std::min_element(rho.begin(), rho.begin() + static_cast<std::ptrdiff_t>(n));
        const double highest = *std::max_element(rho.begin(), rho.begin() + static_cast<std::ptrdiff_t>(n));
        for (std::size_t p = 0; p < usable.size(); ++p) {
            const auto i = static_cast<Eigen::Index>(p);
            if (!usable[p]) {
                out[p] = std::numeric_limits<double>::quiet_NaN();
                if (derivatives)
                    jac.row(i).setConstant(std::numeric_limits<double>::quiet_NaN());
                continue;
            }
            const double s = ab2[i];
            const double b = mn2[i];
            const double x = std::sqrt((s - b) * (s - b) + depth2);
            const double y = std::sqrt((s + b) * (s + b) + depth2);
            const double image = 2.0 * s * (s * s - b * b) / (x * y * (x + y));
            const double value = bottom + (top - bottom) * (1.0 - image) + result[i];
            // Every apparent resistivity is a positive average of the layers' own: rounding in a remainder of
            // extreme contrast must not take it outside them.
            out[p] = std::clamp(value, lowest, highest);
            if (!derivatives)
                continue;
            if (value != out[p]) {
                jac.row(i).setZero();
                continue;
            }
            // d ln rhoa / d ln p = (d rhoa / d ln p) / rhoa, with the reference response's own derivatives.
            jac(i, 0) += top * (1.0 - image);
            jac(i, static_cast<Eigen::Index>(n - 1)) += bottom * image;
            if (n > 1) {
                const double dLogImage =
                    -4.0 * depth * (1.0 / (x * x) + 1.0 / (y * y) + (1.0 / x + 1.0 / y) / (x + y));
                for (std::size_t k = 0; k + 1 < n; ++k)
                    jac(i, static_cast<Eigen::Index>(n + k)) -= (top - bottom) * image * dLogImage * thk[k];
            }
            jac.row(i) /= value;
        }
    }
};

SchlumbergerForward::SchlumbergerForward(std::span<const double> ab2, std::span<const double> mn2,
                                         const HankelFilter& filter)
    : impl_(std::make_unique<Impl>()) {
    const auto points = static_cast<Eigen::Index>(ab2.size());
    const double filterStep = filter.logStep();
    const double step = filterStep / kRefine;
    impl_->usable.resize(ab2.size());
    for (std::size_t i = 0; i < ab2.size(); ++i)
        impl_->usable[i] =
            std::isfinite(ab2[i]) && ab2[i] >= domain::kMinSpacing && ab2[i] <= domain::kMaxSpacing;
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
        const double b = halfSpacing(ab2, mn2, i);
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

    const Eigen::MatrixXd gridWeights = gridWeightsOf(ab2, mn2, impl_->usable, logRef, step, gridSize);
    impl_->op = foldFilter(gridWeights, coefficient, kernelSize);
    impl_->ab2.resize(points);
    impl_->mn2.resize(points);
    for (std::size_t i = 0; i < ab2.size(); ++i) {
        impl_->ab2[static_cast<Eigen::Index>(i)] = ab2[i];
        impl_->mn2[static_cast<Eigen::Index>(i)] = halfSpacing(ab2, mn2, i);
    }
    impl_->t.resize(kernelSize);
    impl_->th.resize(kernelSize);
    impl_->scratchN.resize(kernelSize);
    impl_->scratchM.resize(kernelSize);
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
    evaluate(rho, thk, out, {});
}

void SchlumbergerForward::logJacobian(std::span<const double> rho, std::span<const double> thk,
                                      std::span<double> out, std::span<double> jacobian) const {
    evaluate(rho, thk, out, jacobian);
}

void SchlumbergerForward::evaluate(std::span<const double> rho, std::span<const double> thk,
                                   std::span<double> out, std::span<double> jacobian) const {
    Impl& d = *impl_;
    const std::size_t n = rho.size();
    const bool derivatives = !jacobian.empty();
    const auto points = static_cast<Eigen::Index>(d.usable.size());
    const auto columns = static_cast<Eigen::Index>(2 * n - 1);
    if (n == 0 || thk.size() + 1 < n || out.size() < d.usable.size() ||
        (derivatives && jacobian.size() < static_cast<std::size_t>(points * columns))) {
        std::fill(out.begin(), out.end(), std::numeric_limits<double>::quiet_NaN());
        std::fill(jacobian.begin(), jacobian.end(), std::numeric_limits<double>::quiet_NaN());
        return;
    }
    double depth = 0.0;
    for (std::size_t i = 0; i + 1 < n; ++i)
        depth += thk[i];
    d.transform(rho, thk, depth, derivatives);
    // Take out a reference kernel with a closed-form response that has the model's limits at both ends:
    // rho_n + (rho_1 - rho_n) e^(-2 lambda D), D the depth to the half-space. The filter then only sees a
    // remainder that vanishes for small and large lambda, which keeps high contrasts accurate.
    const double top = rho[0];
    const double bottom = rho[n - 1];
    const Eigen::Index usedDepth = n > 1 ? d.attenuated(depth) : 0;
    d.t -= top;
    if (n > 1)
        d.t.head(usedDepth) += (top - bottom) * (-2.0 * depth * d.lambda.head(usedDepth)).exp();
    d.result.noalias() = d.op * d.t.matrix();
    Eigen::Map<Eigen::MatrixXd> jac(jacobian.data(), derivatives ? points : 0, derivatives ? columns : 0);
    if (derivatives) {
        d.chainDerivatives(rho, thk, depth, usedDepth);
        jac.noalias() = d.op * d.kernelJacobian;
    }
    d.addReference(rho, thk, depth, out, derivatives, jac);
}

} // namespace model
