#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "model/ForwardModel.h"

namespace model {

// What the forward modelling computes to its stated accuracy. Inside these limits every apparent
// resistivity is finite and lies between the smallest and the largest layer resistivity. Its relative
// error is below 1e-6 for layer contrasts up to 1e5 (checked against the image series of two layers);
// beyond, rounding in the transform grows in proportion to the contrast, about 2e-13 times it, so 2e-3 at
// the largest contrast allowed. Outside these limits a model or a spacing is refused, never computed.
namespace domain {
inline constexpr double kMinResistivity = 1e-6; // ohm-m
inline constexpr double kMaxResistivity = 1e9;  // ohm-m
inline constexpr double kMaxContrast = 1e10;    // largest / smallest layer resistivity of one model
inline constexpr double kMinThickness = 1e-4;   // m
inline constexpr double kMaxThickness = 1e7;    // m
inline constexpr double kMinSpacing = 1e-3;     // AB/2, m
inline constexpr double kMaxSpacing = 1e7;      // AB/2, m
// An MN/2 below this fraction of its AB/2 is modelled as an ideal array (the difference is below 1e-8).
inline constexpr double kIdealFraction = 1e-4;
} // namespace domain

// What lies outside the domain, and where: a layer's resistivity, thickness or chargeability, the model's
// resistivity contrast, an AB/2 value, or a model without layers.
struct DomainReason {
    enum class Quantity { NoLayer, Resistivity, Thickness, Chargeability, Contrast, Spacing };
    Quantity quantity = Quantity::NoLayer;
    std::size_t layer = 0; // from 1, for the quantities of one layer; 0 otherwise
    double value = 0.0;    // the value refused
    double low = 0.0;      // the range allowed (Contrast: up to `high`; Chargeability: `high` excluded)
    double high = 0.0;

    // For the command line: "layer 2: resistivity 1e+10 ohm-m is outside 1e-06 to 1e+09 ohm-m".
    std::string english() const;
    // For the window: "第2层电阻率 1e+10 Ω·m 超出范围 1e-06…1e+09 Ω·m".
    std::string chinese() const;
};

// Why the model lies outside the domain, or nothing when it lies inside.
std::optional<DomainReason> modelReason(const LayeredModel& model);
// Why an AB/2 value lies outside the domain, or nothing.
std::optional<DomainReason> spacingReason(std::span<const double> ab2);

// The reasons' English texts, or empty when inside.
std::string modelOutsideDomain(const LayeredModel& model);
std::string spacingOutsideDomain(std::span<const double> ab2);

} // namespace model
