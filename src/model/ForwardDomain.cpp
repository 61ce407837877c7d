#include "model/ForwardDomain.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace model {

namespace {

std::string shortNumber(double v) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

bool within(double v, double low, double high) {
    return std::isfinite(v) && v >= low && v <= high;
}

} // namespace

std::string modelOutsideDomain(const LayeredModel& model) {
    using namespace domain;
    if (model.layers.empty())
        return "the model has no layer";
    double lowest = INFINITY;
    double highest = 0.0;
    for (std::size_t i = 0; i < model.layers.size(); ++i) {
        const Layer& layer = model.layers[i];
        const std::string which = "layer " + std::to_string(i + 1);
        if (!within(layer.rho, kMinResistivity, kMaxResistivity))
            return which + ": resistivity " + shortNumber(layer.rho) + " ohm-m is outside " +
                   shortNumber(kMinResistivity) + " to " + shortNumber(kMaxResistivity) + " ohm-m";
        if (i + 1 < model.layers.size() && !within(layer.thk, kMinThickness, kMaxThickness))
            return which + ": thickness " + shortNumber(layer.thk) + " m is outside " +
                   shortNumber(kMinThickness) + " to " + shortNumber(kMaxThickness) + " m";
        if (!(std::isfinite(layer.m) && layer.m >= 0.0 && layer.m < 100.0))
            return which + ": chargeability " + shortNumber(layer.m) + " % is outside [0, 100)";
        lowest = std::min(lowest, layer.rho);
        highest = std::max(highest, layer.rho);
    }
    if (highest / lowest > kMaxContrast)
        return "the resistivity contrast " + shortNumber(highest / lowest) + " exceeds " +
               shortNumber(kMaxContrast);
    return {};
}

std::string spacingOutsideDomain(std::span<const double> ab2) {
    using namespace domain;
    for (double s : ab2)
        if (!within(s, kMinSpacing, kMaxSpacing))
            return "AB/2 " + shortNumber(s) + " m is outside " + shortNumber(kMinSpacing) + " to " +
                   shortNumber(kMaxSpacing) + " m";
    return {};
}

} // namespace model
