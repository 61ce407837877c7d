#include "model/ChargeabilityFit.h"

#include <Eigen/Dense>

#include <cmath>
#include <vector>

#include "model/SchlumbergerForward.h"

namespace model {

namespace {

constexpr int kIterations = 8;
constexpr double kStep = 1e-5;
constexpr double kMaxFraction = 0.95;

// Non-negative least squares min |A x - b|, x >= 0 (Lawson and Hanson's active set), solves by Eigen.
Eigen::VectorXd nonNegativeLeastSquares(const Eigen::MatrixXd& a, const Eigen::VectorXd& b) {
    const Eigen::Index n = a.cols();
    Eigen::VectorXd x = Eigen::VectorXd::Zero(n);
    std::vector<bool> passive(static_cast<std::size_t>(n), false);
    const double tolerance = 1e-12 * (a.norm() * b.norm() + 1.0);
    for (int outer = 0; outer < 3 * n + 3; ++outer) {
        const Eigen::VectorXd w = a.transpose() * (b - a * x);
        Eigen::Index best = -1;
        for (Eigen::Index j = 0; j < n; ++j)
            if (!passive[static_cast<std::size_t>(j)] && w[j] > tolerance && (best < 0 || w[j] > w[best]))
                best = j;
        if (best < 0)
            break;
        passive[static_cast<std::size_t>(best)] = true;
        for (int inner = 0; inner < 3 * n + 3; ++inner) {
            std::vector<Eigen::Index> columns;
            for (Eigen::Index j = 0; j < n; ++j)
                if (passive[static_cast<std::size_t>(j)])
                    columns.push_back(j);
            Eigen::MatrixXd sub(a.rows(), static_cast<Eigen::Index>(columns.size()));
            for (std::size_t c = 0; c < columns.size(); ++c)
                sub.col(static_cast<Eigen::Index>(c)) = a.col(columns[c]);
            const Eigen::VectorXd zSub = sub.colPivHouseholderQr().solve(b);
            Eigen::VectorXd z = Eigen::VectorXd::Zero(n);
            for (std::size_t c = 0; c < columns.size(); ++c)
                z[columns[c]] = zSub[static_cast<Eigen::Index>(c)];
            bool positive = true;
            double alpha = 1.0;
            for (Eigen::Index j : columns)
                if (z[j] <= 0.0) {
                    positive = false;
                    alpha = std::min(alpha, x[j] / (x[j] - z[j]));
                }
            if (positive) {
                x = z;
                break;
            }
            x += alpha * (z - x);
            for (Eigen::Index j : columns)
                if (x[j] <= 1e-15) {
                    x[j] = 0.0;
                    passive[static_cast<std::size_t>(j)] = false;
                }
        }
    }
    return x;
}

} // namespace

bool fitChargeability(const SoundingData& data, bool ideal, LayeredModel& model, FitReport& report) {
    const UsablePoints points = UsablePoints::of(data, ideal);
    if (points.chargeabilityCount() == 0 || !model.isValid())
        return false;
    std::vector<std::size_t> measured;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (!std::isnan(points.m1[i]))
            measured.push_back(i);
    const SchlumbergerForward forward(points.ab2, points.mn2);
    const std::vector<double> rho = model.resistivities();
    const std::vector<double> thk = model.thicknesses();
    std::vector<double> plain(points.size());
    forward.apparentResistivity(rho, thk, plain);
    std::vector<double> charged(rho.size());
    std::vector<double> response(points.size());
    // Apparent chargeability (fraction) at every usable point for layer chargeabilities m (fractions).
    auto chargeability = [&](const Eigen::VectorXd& m, Eigen::VectorXd& out) {
        for (std::size_t k = 0; k < rho.size(); ++k)
            charged[k] = rho[k] * (1.0 - m[static_cast<Eigen::Index>(k)]);
        forward.apparentResistivity(charged, thk, response);
        out.resize(static_cast<Eigen::Index>(points.size()));
        for (std::size_t i = 0; i < points.size(); ++i)
            out[static_cast<Eigen::Index>(i)] = 1.0 - response[i] / plain[i];
    };

    const auto layers = static_cast<Eigen::Index>(model.size());
    Eigen::VectorXd m(layers);
    std::vector<Eigen::Index> freeLayers;
    for (Eigen::Index k = 0; k < layers; ++k) {
        const Layer& layer = model.layers[static_cast<std::size_t>(k)];
        m[k] = layer.fixedM ? layer.m / 100.0 : 0.0;
        if (!layer.fixedM)
            freeLayers.push_back(k);
    }
    const auto rows = static_cast<Eigen::Index>(measured.size());
    Eigen::VectorXd target(rows);
    for (Eigen::Index r = 0; r < rows; ++r)
        target[r] = points.m1[measured[static_cast<std::size_t>(r)]] / 100.0;

    // Seigel's relation is nearly linear in the layer chargeabilities: Gauss-Newton steps, each a
    // non-negative least-squares problem in the chargeabilities themselves.
    Eigen::VectorXd current, shifted;
    for (int iteration = 0; iteration < kIterations && !freeLayers.empty(); ++iteration) {
        chargeability(m, current);
        Eigen::MatrixXd jacobian(rows, static_cast<Eigen::Index>(freeLayers.size()));
        for (std::size_t c = 0; c < freeLayers.size(); ++c) {
            Eigen::VectorXd probe = m;
            const double h = m[freeLayers[c]] + kStep < kMaxFraction ? kStep : -kStep;
            probe[freeLayers[c]] += h;
            chargeability(probe, shifted);
            for (Eigen::Index r = 0; r < rows; ++r) {
                const auto i = static_cast<Eigen::Index>(measured[static_cast<std::size_t>(r)]);
                jacobian(r, static_cast<Eigen::Index>(c)) = (shifted[i] - current[i]) / h;
            }
        }
        Eigen::VectorXd rhs(rows);
        Eigen::VectorXd freeNow(static_cast<Eigen::Index>(freeLayers.size()));
        for (std::size_t c = 0; c < freeLayers.size(); ++c)
            freeNow[static_cast<Eigen::Index>(c)] = m[freeLayers[c]];
        for (Eigen::Index r = 0; r < rows; ++r)
            rhs[r] = target[r] - current[static_cast<Eigen::Index>(measured[static_cast<std::size_t>(r)])];
        rhs += jacobian * freeNow;
        const Eigen::VectorXd next = nonNegativeLeastSquares(jacobian, rhs).cwiseMin(kMaxFraction);
        const double change = (next - freeNow).cwiseAbs().maxCoeff();
        for (std::size_t c = 0; c < freeLayers.size(); ++c)
            m[freeLayers[c]] = next[static_cast<Eigen::Index>(c)];
        if (change < 1e-9)
            break;
    }
    for (Eigen::Index k = 0; k < layers; ++k)
        model.layers[static_cast<std::size_t>(k)].m = 100.0 * m[k];
    chargeability(m, current);
    report.maResponse.resize(points.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i)
        report.maResponse[i] = 100.0 * current[static_cast<Eigen::Index>(i)];
    for (std::size_t i : measured) {
        const double d = points.m1[i] - report.maResponse[i];
        sum += d * d;
    }
    report.maRms = std::sqrt(sum / static_cast<double>(measured.size()));
    return true;
}

} // namespace model
