#include "model/ForwardModel.h"

#include <cmath>
#include <limits>

#include "model/SchlumbergerForward.h"

namespace model {

std::vector<double> LayeredModel::resistivities() const {
    std::vector<double> out;
    out.reserve(layers.size());
    for (const Layer& layer : layers)
        out.push_back(layer.rho);
    return out;
}

std::vector<double> LayeredModel::thicknesses() const {
    std::vector<double> out;
    for (std::size_t i = 0; i + 1 < layers.size(); ++i)
        out.push_back(layers[i].thk);
    return out;
}

bool LayeredModel::isValid() const {
    if (layers.empty())
        return false;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const Layer& layer = layers[i];
        if (!std::isfinite(layer.rho) || layer.rho <= 0.0)
            return false;
        if (i + 1 < layers.size() && (!std::isfinite(layer.thk) || layer.thk <= 0.0))
            return false;
        if (!std::isfinite(layer.m) || layer.m < 0.0 || layer.m >= 100.0)
            return false;
    }
    return true;
}

namespace {

bool usablePoints(std::span<const double> ab2) {
    for (double s : ab2)
        if (!std::isfinite(s) || s <= 0.0)
            return false;
    return true;
}

} // namespace

std::vector<double> apparentResistivity(const LayeredModel& model, std::span<const double> ab2,
                                        std::span<const double> mn2) {
    std::vector<double> out(ab2.size(), std::numeric_limits<double>::quiet_NaN());
    if (!model.isValid() || !usablePoints(ab2))
        return out;
    const SchlumbergerForward forward(ab2, mn2);
    forward.apparentResistivity(model.resistivities(), model.thicknesses(), out);
    return out;
}

std::vector<double> apparentChargeability(const LayeredModel& model, std::span<const double> ab2,
                                          std::span<const double> mn2) {
    std::vector<double> out(ab2.size(), std::numeric_limits<double>::quiet_NaN());
    if (!model.isValid() || !usablePoints(ab2))
        return out;
    const SchlumbergerForward forward(ab2, mn2);
    const std::vector<double> rho = model.resistivities();
    const std::vector<double> thk = model.thicknesses();
    std::vector<double> charged(rho.size());
    for (std::size_t i = 0; i < rho.size(); ++i)
        charged[i] = rho[i] * (1.0 - model.layers[i].m / 100.0);
    std::vector<double> plain(ab2.size());
    forward.apparentResistivity(rho, thk, plain);
    forward.apparentResistivity(charged, thk, out);
    for (std::size_t p = 0; p < out.size(); ++p)
        out[p] = 100.0 * (1.0 - out[p] / plain[p]);
    return out;
}

} // namespace model
