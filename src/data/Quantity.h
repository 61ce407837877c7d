#pragma once

#include "data/Station.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// The six measured quantities of a station: apparent resistivity and the five induced-polarisation
// parameters of the column files. This is the order of the plot control window, the legend and the
// headless commands; the station record keeps TH before TD.
enum class Quantity { Res, M1, R, TD, TH, ZP };

inline constexpr std::size_t quantityCount = 6;
inline constexpr std::array<Quantity, quantityCount> allQuantities{Quantity::Res, Quantity::M1, Quantity::R,
                                                                   Quantity::TD,  Quantity::TH, Quantity::ZP};
// The order of the station record and of the sheet's curve fields: TH before TD.
inline constexpr std::array<Quantity, quantityCount> recordOrder{Quantity::Res, Quantity::M1, Quantity::R,
                                                                 Quantity::TH,  Quantity::TD, Quantity::ZP};

constexpr std::size_t indexOf(Quantity quantity) {
    return static_cast<std::size_t>(quantity);
}

// One value per quantity, indexed by quantity (a tick, a symbol number, an enabled flag).
template <class T> struct PerQuantity {
    std::array<T, quantityCount> values{};

    T& operator[](Quantity quantity) { return values[indexOf(quantity)]; }
    const T& operator[](Quantity quantity) const { return values[indexOf(quantity)]; }
    auto begin() { return values.begin(); }
    auto end() { return values.end(); }
    auto begin() const { return values.begin(); }
    auto end() const { return values.end(); }
    void fill(const T& value) { values.fill(value); }

    friend bool operator==(const PerQuantity&, const PerQuantity&) = default;
};

// The short code of the sheet's legend: "Res", "M1", "R", "TD", "TH", "ZP".
std::string_view quantityCode(Quantity quantity);
// The name the headless commands take and write: "res", "m1", "r", "td", "th", "zp".
std::string_view commandName(Quantity quantity);
// The quantity of a command name, exactly as commandName writes it.
std::optional<Quantity> quantityNamed(std::string_view name);
// The name the section views show, e.g. "视电阻率", "视极化率 M1".
std::string_view displayName(Quantity quantity);
// Its unit for a colour bar: "Ω·m", "%", "ms", or empty for the dimensionless composite parameter.
std::string_view unitOf(Quantity quantity);
// Resistivity spans decades and is shown, averaged and interpolated in log10; the IP parameters linearly.
constexpr bool isLogarithmic(Quantity quantity) {
    return quantity == Quantity::Res;
}

// Calls `use` with the station's column of that quantity, parallel to abHalf: the resistivity vector or
// one of the IP columns (both read by index), and returns what it returns.
template <class Use> decltype(auto) withValuesOf(const Station& station, Quantity quantity, Use&& use) {
    switch (quantity) {
    case Quantity::M1:
        return use(station.chargeability);
    case Quantity::R:
        return use(station.deviation);
    case Quantity::TD:
        return use(station.decay);
    case Quantity::TH:
        return use(station.halfDecayTime);
    case Quantity::ZP:
        return use(station.compositeParameter);
    case Quantity::Res:
        break;
    }
    return use(station.resistivity);
}
