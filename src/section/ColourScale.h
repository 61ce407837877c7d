#pragma once

#include "core/Color.h"
#include "section/ColourMap.h"

#include <vector>

// Maps a value of a section to a colour: logarithmically for resistivity, linearly for the IP
// parameters, over a range taken from the data or set by the user. Values beyond the range take the
// end colours.
class ColourScale {
public:
    ColourScale() = default;
    ColourScale(double low, double high, bool logarithmic, ColourMap map);

    // The range spans the present values (see isPresent); false, and the scale unchanged, when there
    // are none. One distinct value gives a range around it.
    bool setRangeFromValues(const std::vector<double>& values);
    // A user range; false (unchanged) unless both ends are finite, low < high and, on a log scale, low > 0.
    bool setRange(double low, double high);

    double low() const { return low_; }
    double high() const { return high_; }
    bool logarithmic() const { return logarithmic_; }
    ColourMap map() const { return map_; }

    // Position of the value on the scale, 0 at low and 1 at high (log10 for a log scale), clamped.
    // NaN for an absent value.
    double fraction(double value) const;
    // The same for a value already in scale space (log10 of it on a log scale).
    double fractionOfScaled(double scaled) const;
    // Colour of a value; white for an absent value.
    Color colour(double value) const;
    Color colourOfScaled(double scaled) const;
    // Value in scale space: log10 on a log scale.
    double toScaled(double value) const;

private:
    double low_ = 1.0;
    double high_ = 10.0;
    // The ends in scale space, kept because every cell of a section asks for them.
    double scaledLow_ = 1.0;
    double scaledHigh_ = 10.0;
    bool logarithmic_ = false;
    ColourMap map_ = ColourMap::Viridis;
};
