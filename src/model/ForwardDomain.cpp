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

std::string DomainReason::english() const {
    const std::string which = "layer " + std::to_string(layer);
    switch (quantity) {
    case Quantity::NoLayer:
        return "the model has no layer";
    case Quantity::Resistivity:
        return which + ": resistivity " + shortNumber(value) + " ohm-m is outside " + shortNumber(low) +
               " to " + shortNumber(high) + " ohm-m";
    case Quantity::Thickness:
        return which + ": thickness " + shortNumber(value) + " m is outside " + shortNumber(low) + " to " +
               shortNumber(high) + " m";
    case Quantity::Chargeability:
        return which + ": chargeability " + shortNumber(value) + " % is outside [0, 100)";
    case Quantity::Contrast:
        return "the resistivity contrast " + shortNumber(value) + " exceeds " + shortNumber(high);
    case Quantity::Spacing:
        return "AB/2 " + shortNumber(value) + " m is outside " + shortNumber(low) + " to " +
               shortNumber(high) + " m";
    }
    return {};
}

std::string DomainReason::chinese() const {
    const std::string which = "第" + std::to_string(layer) + "层";
    const std::string range = "超出范围 " + shortNumber(low) + "…" + shortNumber(high);
    switch (quantity) {
    case Quantity::NoLayer:
        return "模型没有层";
    case Quantity::Resistivity:
        return which + "电阻率 " + shortNumber(value) + " Ω·m " + range + " Ω·m";
    case Quantity::Thickness:
        return which + "厚度 " + shortNumber(value) + " m " + range + " m";
    case Quantity::Chargeability:
        return which + "极化率 " + shortNumber(value) + " % 超出范围 [0, 100) %";
    case Quantity::Contrast:
        return "电阻率之比 " + shortNumber(value) + " 超过 " + shortNumber(high);
    case Quantity::Spacing:
        return "AB/2 " + shortNumber(value) + " m " + range + " m";
    }
    return {};
}

std::optional<DomainReason> modelReason(const LayeredModel& model) {
    using namespace domain;
    using Quantity = DomainReason::Quantity;
    if (model.layers.empty())
        return DomainReason{};
    double lowest = INFINITY;
    double highest = 0.0;
    for (std::size_t i = 0; i < model.layers.size(); ++i) {
        const Layer& layer = model.layers[i];
        if (!within(layer.rho, kMinResistivity, kMaxResistivity))
            return DomainReason{Quantity::Resistivity, i + 1, layer.rho, kMinResistivity, kMaxResistivity};
        if (i + 1 < model.layers.size() && !within(layer.thk, kMinThickness, kMaxThickness))
            return DomainReason{Quantity::Thickness, i + 1, layer.thk, kMinThickness, kMaxThickness};
        if (!(std::isfinite(layer.m) && layer.m >= 0.0 && layer.m < 100.0))
            return DomainReason{Quantity::Chargeability, i + 1, layer.m, 0.0, 100.0};
        lowest = std::min(lowest, layer.rho);
        highest = std::max(highest, layer.rho);
    }
    if (highest / lowest > kMaxContrast)
        return DomainReason{Quantity::Contrast, 0, highest / lowest, 1.0, kMaxContrast};
    return std::nullopt;
}

std::optional<DomainReason> spacingReason(std::span<const double> ab2) {
    using namespace domain;
    for (double s : ab2)
        if (!within(s, kMinSpacing, kMaxSpacing))
            return DomainReason{DomainReason::Quantity::Spacing, 0, s, kMinSpacing, kMaxSpacing};
    return std::nullopt;
}

std::string modelOutsideDomain(const LayeredModel& model) {
    const std::optional<DomainReason> reason = modelReason(model);
    return reason ? reason->english() : std::string();
}

std::string spacingOutsideDomain(std::span<const double> ab2) {
    const std::optional<DomainReason> reason = spacingReason(ab2);
    return reason ? reason->english() : std::string();
}

} // namespace model
