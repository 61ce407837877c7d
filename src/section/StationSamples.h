#pragma once

#include "data/Station.h"
#include "section/StationPlacement.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The measured values of one parameter at one station, ready for a section: sorted by AB/2, one
// value per AB/2, in scale space (log10 for resistivity).
struct StationSamples {
    std::size_t index = 0;     // the station's (first) index in the station list
    std::int32_t number = 0;   // station number
    double position = 0.0;     // metres along the line
    std::vector<double> logAb; // log10 AB/2 of the present values, strictly increasing
    std::vector<double> value; // the values there, in scale space
    // bridged[i]: the station may be interpolated between logAb[i] and logAb[i + 1]. False when a
    // point in between lacks the value, or when the step is much wider than the neighbouring steps.
    std::vector<bool> bridged;

    // The value at log10 AB/2 `logAbHalf`, in scale space: measured, or interpolated along log AB/2
    // between bridged neighbours; NaN outside the measured range and in holes.
    double valueAt(double logAbHalf) const;
};

// A step in log AB/2 wider than this many times the wider neighbouring step is a gap, not bridged.
inline constexpr double wideStepFactor = 1.75;
// Two log10 AB/2 values this close are the same spacing.
inline constexpr double logAbTolerance = 1e-9;

// The stations of a file as section columns, sorted by position. Position = station number x
// spacing (ByNumber) or the order in the file (ByOrder, spacing ignored). Stations that fall on the
// same position are merged into one column. Repeated AB/2 values (overlapping MN/2 segments) are
// averaged in scale space: in log for resistivity, linearly for IP. Points without a valid AB/2 (> 0)
// are skipped. A station without any present value still gives a column (a column of holes).
std::vector<StationSamples> collectStationSamples(const StationList& stations, Quantity parameter,
                                                  StationPlacement placement, double spacing);
