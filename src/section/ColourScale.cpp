#include "section/ColourScale.h"

#include "section/StationPlacement.h"

#include <algorithm>
#include <cmath>

ColourScale::ColourScale(double low, double high, bool logarithmic, ColourMap map)
    : logarithmic_(logarithmic), map_(map) {
    if (!setRange(low, high)) {
        low_ = 1.0;
        high_ = 10.0;
        scaledLow_ = toScaled(low_);
        scaledHigh_ = toScaled(high_);
    }
}

bool ColourScale::setRangeFromValues(const std::vector<double>& values) {
    double low = INFINITY;
    double high = -INFINITY;
    for (const double v : values) {
        if (!isPresent(v, logarithmic_))
            continue;
        low = std::min(low, v);
        high = std::max(high, v);
    }
    if (!(low <= high))
        return false;
    if (low == high) {
        // One value: a decade around it on a log scale, +-1 (or +-10 %) on a linear one.
        if (logarithmic_) {
            low /= std::sqrt(10.0);
            high *= std::sqrt(10.0);
        } else {
            const double half = low == 0.0 ? 1.0 : std::abs(low) * 0.1;
            low -= half;
            high += half;
        }
    }
    return setRange(low, high);
}

bool ColourScale::setRange(double low, double high) {
    if (!std::isfinite(low) || !std::isfinite(high) || !(low < high) || (logarithmic_ && low <= 0.0))
        return false;
    low_ = low;
    high_ = high;
    scaledLow_ = toScaled(low_);
    scaledHigh_ = toScaled(high_);
    return true;
}

double ColourScale::toScaled(double value) const {
    return logarithmic_ ? std::log10(value) : value;
}

double ColourScale::fraction(double value) const {
    if (!isPresent(value, logarithmic_))
        return NAN;
    return fractionOfScaled(toScaled(value));
}

double ColourScale::fractionOfScaled(double scaled) const {
    if (std::isnan(scaled))
        return NAN;
    return std::clamp((scaled - scaledLow_) / (scaledHigh_ - scaledLow_), 0.0, 1.0);
}

Color ColourScale::colour(double value) const {
    return isPresent(value, logarithmic_) ? colourOfScaled(toScaled(value)) : colors::white;
}

Color ColourScale::colourOfScaled(double scaled) const {
    const double f = fractionOfScaled(scaled);
    if (std::isnan(f))
        return colors::white;
    // 256 equal bins over 0..1; the top end falls in the last bin.
    const int index = std::min(colourMapSize - 1, static_cast<int>(f * colourMapSize));
    return colourMapEntry(map_, index);
}
