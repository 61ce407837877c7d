#include "model/ChargeabilityFit.h"

#include <Eigen/Dense>

#include <cmath>
#include <vector>

#include "model/NonNegativeLeastSquares.h"
#include "model/SchlumbergerForward.h"

namespace model {

namespace {

constexpr int kIterations = 8;
constexpr double kMaxFraction = 0.95;

// Apparent chargeability (fraction) at every usable point for layer chargeabilities m (fractions) and,
// when asked, its derivatives: with rho'_k = rho_k (1 - m_k), d ma / d m_k = L_k (1 - ma) / (1 - m_k),
// L_k = d ln rhoa(rho') / d ln rho'_k.
class ChargedResponse {
public:
    ChargedResponse(const UsablePoints& points, const LayeredModel& model)
        : forward_(points.ab2, points.mn2), rho_(model.resistivities()), thk_(model.thicknesses()),
          plain_(points.size()), charged_(rho_.size()), response_(points.size()),
          logJacobian_(points.size() * (2 * rho_.size() - 1)) {
        forward_.apparentResistivity(rho_, thk_, plain_);
    }

    void operator()(const Eigen::VectorXd& m, Eigen::VectorXd& out, Eigen::MatrixXd* jacobian) {
        for (std::size_t k = 0; k < rho_.size(); ++k)
            charged_[k] = rho_[k] * (1.0 - m[static_cast<Eigen::Index>(k)]);
        if (jacobian)
            forward_.logJacobian(charged_, thk_, response_, logJacobian_);
        else
            forward_.apparentResistivity(charged_, thk_, response_);
        const auto count = static_cast<Eigen::Index>(plain_.size());
        out.resize(count);
        for (std::size_t i = 0; i < plain_.size(); ++i)
            out[static_cast<Eigen::Index>(i)] = 1.0 - response_[i] / plain_[i];
        if (jacobian) {
            const Eigen::Map<const Eigen::MatrixXd> log(logJacobian_.data(), count,
                                                        static_cast<Eigen::Index>(2 * rho_.size() - 1));
            jacobian->resize(count, static_cast<Eigen::Index>(rho_.size()));
            for (Eigen::Index k = 0; k < jacobian->cols(); ++k)
                jacobian->col(k) = (log.col(k).array() * (1.0 - out.array()) / (1.0 - m[k])).matrix();
        }
    }

private:
    const SchlumbergerForward forward_;
    const std::vector<double> rho_;
    const std::vector<double> thk_;
    std::vector<double> plain_;
    // Work space of one evaluation.
    std::vector<double> charged_;
    std::vector<double> response_;
    std::vector<double> logJacobian_;
};

} // namespace

bool fitChargeability(const SoundingData& data, bool ideal, LayeredModel& model, FitReport& report,
                      std::span<const std::size_t> masked) {
    const UsablePoints points = UsablePoints::of(data, ideal, masked);
    if (points.chargeabilityCount() == 0 || !model.isValid())
        return false;
    std::vector<std::size_t> measured;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (!std::isnan(points.m1[i]))
            measured.push_back(i);
    ChargedResponse chargeability(points, model);

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
    Eigen::VectorXd current;
    Eigen::MatrixXd all;
    for (int iteration = 0; iteration < kIterations && !freeLayers.empty(); ++iteration) {
        chargeability(m, current, &all);
        Eigen::MatrixXd jacobian(rows, static_cast<Eigen::Index>(freeLayers.size()));
        for (std::size_t c = 0; c < freeLayers.size(); ++c)
            for (Eigen::Index r = 0; r < rows; ++r)
                jacobian(r, static_cast<Eigen::Index>(c)) =
                    all(static_cast<Eigen::Index>(measured[static_cast<std::size_t>(r)]), freeLayers[c]);
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
    chargeability(m, current, nullptr);
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
