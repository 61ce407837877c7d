#pragma once

#include "data/Quantity.h"

#include <cstddef>
#include <cstdint>

// How the stations are placed along the line: at station number x spacing, or at their order in the
// file (0, 1, 2, ...).
enum class StationPlacement { ByNumber, ByOrder };

// A measured value a section can use: not missing, not infinite, and on a log scale also positive.
bool isPresent(double value, bool logarithmic);

// Position of a station on the line in metres: number x spacing, or its order in the file.
double stationPosition(std::int32_t number, std::size_t order, StationPlacement placement, double spacing);
