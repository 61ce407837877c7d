#pragma once

#include <Eigen/Core>

#include <span>
#include <vector>

#include "model/FitReport.h"
#include "model/SchlumbergerForward.h"
#include "model/SoundingData.h"

namespace model {

// Residuals ln(f_s rhoa_data) - ln(rhoa_model) of a layered model given by its log parameters
// (ln rho_1..rho_K, ln thk_1..thk_(K-1), then ln f of each segment factor that is fitted), with their
// analytic derivatives. Internal to the fitting code; not thread-safe (the forward keeps scratch space).
class LogResidual {
public:
    // factorOfPoint: for each point the index of its fitted segment factor, or -1 (no factor); empty when
    // no factor is fitted.
    LogResidual(const SchlumbergerForward& forward, std::span<const double> rhoa, int layers,
                std::vector<int> factorOfPoint = {}, int factors = 0);

    // False when the model's response is not positive and finite everywhere.
    bool operator()(const Eigen::VectorXd& logParameters, Eigen::VectorXd& r,
                    Eigen::MatrixXd* jacobian = nullptr) const;
    int layers() const { return layers_; }
    int factors() const { return factors_; }
    int parameters() const { return 2 * layers_ - 1 + factors_; }
    Eigen::Index points() const { return logData_.size(); }

private:
    const SchlumbergerForward& forward_;
    Eigen::VectorXd logData_;
    int layers_;
    std::vector<int> factorOfPoint_;
    int factors_;
    mutable std::vector<double> rho_, thk_, response_, modelJacobian_;
};

// Sets the report's used AB/2, the model's response there and the RMS misfit in percent of the data,
// each point multiplied by its segment's factor (`factors` per point, empty for none).
void fillResponse(const SchlumbergerForward& forward, const UsablePoints& points, const LayeredModel& model,
                  FitReport& report, std::span<const double> factors = {});

} // namespace model
