#include "model/LogResidual.h"

#include <cmath>

namespace model {

LogResidual::LogResidual(const SchlumbergerForward& forward, std::span<const double> rhoa, int layers,
                         std::vector<int> factorOfPoint, int factors)
    : forward_(forward), logData_(static_cast<Eigen::Index>(rhoa.size())), layers_(layers),
      factorOfPoint_(std::move(factorOfPoint)), factors_(factors), rho_(static_cast<std::size_t>(layers)),
      thk_(static_cast<std::size_t>(layers - 1)), response_(rhoa.size()) {
    for (std::size_t i = 0; i < rhoa.size(); ++i)
        logData_[static_cast<Eigen::Index>(i)] = std::log(rhoa[i]);
}

bool LogResidual::operator()(const Eigen::VectorXd& logParameters, Eigen::VectorXd& r,
                             Eigen::MatrixXd* jacobian) const {
    for (int k = 0; k < layers_; ++k)
        rho_[static_cast<std::size_t>(k)] = std::exp(logParameters[k]);
    for (int k = 0; k + 1 < layers_; ++k)
        thk_[static_cast<std::size_t>(k)] = std::exp(logParameters[layers_ + k]);
    const Eigen::Index n = logData_.size();
    const Eigen::Index modelColumns = 2 * layers_ - 1;
    if (jacobian) {
        modelJacobian_.resize(static_cast<std::size_t>(n * modelColumns));
        forward_.logJacobian(rho_, thk_, response_, modelJacobian_);
    } else {
        forward_.apparentResistivity(rho_, thk_, response_);
    }
    r.resize(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double f = response_[static_cast<std::size_t>(i)];
        if (!(f > 0.0) || !std::isfinite(f))
            return false;
        r[i] = logData_[i] - std::log(f);
        if (!factorOfPoint_.empty()) {
            const int s = factorOfPoint_[static_cast<std::size_t>(i)];
            if (s >= 0)
                r[i] += logParameters[modelColumns + s];
        }
    }
    if (jacobian) {
        jacobian->resize(n, parameters());
        jacobian->leftCols(modelColumns) =
            -Eigen::Map<const Eigen::MatrixXd>(modelJacobian_.data(), n, modelColumns);
        jacobian->rightCols(factors_).setZero();
        for (Eigen::Index i = 0; i < n && !factorOfPoint_.empty(); ++i) {
            const int s = factorOfPoint_[static_cast<std::size_t>(i)];
            if (s >= 0)
                (*jacobian)(i, modelColumns + s) = 1.0;
        }
        if (!jacobian->allFinite())
            return false;
    }
    return true;
}

void fillResponse(const SchlumbergerForward& forward, const UsablePoints& points, const LayeredModel& model,
                  FitReport& report, std::span<const double> factors) {
    report.ab2 = points.ab2;
    report.response.assign(points.size(), 0.0);
    forward.apparentResistivity(model.resistivities(), model.thicknesses(), report.response);
    double sum = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double factor = i < factors.size() ? factors[i] : 1.0;
        const double r = 100.0 * (std::log(factor * points.rhoa[i]) - std::log(report.response[i]));
        sum += r * r;
    }
    report.rmsPercent = points.size() > 0 ? std::sqrt(sum / static_cast<double>(points.size())) : 0.0;
    report.pointsUsed = static_cast<int>(points.size());
}

} // namespace model
