#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace model {

// The values of a fitted parameter that the data allow (95 % profile range). A side the data do not bound
// (the range reaches the fit's own limit) is empty.
struct ValueRange {
    std::optional<double> low;
    std::optional<double> high;
};

// One layer of a horizontally layered earth. The last layer of a model is a half-space: its thickness is
// not used.
struct Layer {
    double rho = 100.0; // resistivity, ohm-m
    double thk = 0.0;   // thickness, m
    double m = 0.0;     // chargeability, percent (5 means 5 %)
    bool fixedRho = false;
    bool fixedThk = false;
    bool fixedM = false;
    std::optional<ValueRange> rhoRange = {}; // ohm-m, when ranges were computed and rho was free
    std::optional<ValueRange> thkRange = {}; // m, likewise for the thickness (never for the half-space)
};

struct LayeredModel {
    std::vector<Layer> layers;

    std::size_t size() const { return layers.size(); }
    // Resistivities (ohm-m) of all layers and thicknesses (m) of all but the last.
    std::vector<double> resistivities() const;
    std::vector<double> thicknesses() const;
    // At least one layer, every resistivity and every thickness above the half-space finite and positive,
    // chargeabilities finite and in [0, 100).
    bool isValid() const;
};

// Apparent resistivity (ohm-m) of a Schlumberger sounding over `model` at the half-spacings `ab2` (m). `mn2`
// holds MN/2 (m) per point; a point whose MN/2 is not inside (0, AB/2), or an empty `mn2`, is modelled with
// an ideal array (MN -> 0). An invalid model or a non-positive AB/2 gives NaN.
std::vector<double> apparentResistivity(const LayeredModel& model, std::span<const double> ab2,
                                        std::span<const double> mn2 = {});

// Apparent chargeability (percent) by Seigel's relation: ma = 1 - rhoa(rho_i (1 - m_i)) / rhoa(rho_i).
std::vector<double> apparentChargeability(const LayeredModel& model, std::span<const double> ab2,
                                          std::span<const double> mn2 = {});

} // namespace model
