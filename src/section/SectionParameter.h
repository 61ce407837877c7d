#pragma once

#include "data/Station.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The quantity a pseudosection shows: apparent resistivity or one of the five induced-polarisation
// parameters of the column files.
enum class SectionParameter { Res, M1, R, TD, TH, ZP };

// How the stations are placed along the line: at station number x spacing, or at their order in the
// file (0, 1, 2, ...).
enum class StationPlacement { ByNumber, ByOrder };

// The parameter's name as the program shows it, e.g. "视电阻率".
std::string parameterName(SectionParameter parameter);
// Its unit for the colour bar: "Ω·m", "%", "ms", or empty for the dimensionless composite parameter.
std::string parameterUnit(SectionParameter parameter);
// Resistivity spans decades and is shown, averaged and interpolated in log10; the IP parameters linearly.
bool isLogarithmic(SectionParameter parameter);
// Calls `use` with the station's column of that parameter, parallel to abHalf: the resistivity vector
// or one of the IP columns (both read by index), and returns what it returns.
template <class Use>
decltype(auto) withParameterValues(const Station& station, SectionParameter parameter, Use&& use) {
    switch (parameter) {
    case SectionParameter::M1:
        return use(station.chargeability);
    case SectionParameter::R:
        return use(station.deviation);
    case SectionParameter::TD:
        return use(station.decay);
    case SectionParameter::TH:
        return use(station.halfDecayTime);
    case SectionParameter::ZP:
        return use(station.compositeParameter);
    case SectionParameter::Res:
        break;
    }
    return use(station.resistivity);
}
// A measured value: neither of the missing markers -9999 / +9999 nor NaN; on a log scale also positive.
bool isPresent(double value, bool logarithmic);

// Position of a station on the line in metres: number x spacing, or its order in the file.
double stationPosition(std::int32_t number, std::size_t order, StationPlacement placement, double spacing);
