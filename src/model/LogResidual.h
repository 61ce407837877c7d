#pragma once

#include <Eigen/Core>

#include <span>
#include <vector>

#include "model/FitReport.h"
#include "model/SchlumbergerForward.h"
#include "model/SoundingData.h"

namespace model {

// Residuals ln(rhoa_data) - ln(rhoa_model) of a layered model given by its log parameters
// (log rho_1..rho_K, log thk_1..thk_{K-1}). Internal to the fitting code; not thread-safe (the forward
// keeps scratch space).
class LogResidual {
public:
    LogResidual(const SchlumbergerForward& forward, std::span<const double> rhoa, int layers);

    // False when the model's response is not positive and finite everywhere.
    bool operator()(const Eigen::VectorXd& logParameters, Eigen::VectorXd& r) const;
    int layers() const { return layers_; }

private:
    const SchlumbergerForward& forward_;
    Eigen::VectorXd logData_;
    int layers_;
    mutable std::vector<double> rho_, thk_, response_;
};

// Sets the report's used AB/2, the model's response there and the RMS misfit in percent.
void fillResponse(const SchlumbergerForward& forward, const UsablePoints& points, const LayeredModel& model,
                  FitReport& report);

} // namespace model
