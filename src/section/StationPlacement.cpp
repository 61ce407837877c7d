#include "section/StationPlacement.h"

#include <cmath>

bool isPresent(double value, bool logarithmic) {
    if (isMissing(value) || std::isinf(value))
        return false;
    return !logarithmic || value > 0.0;
}

double stationPosition(std::int32_t number, std::size_t order, StationPlacement placement, double spacing) {
    return placement == StationPlacement::ByOrder ? static_cast<double>(order)
                                                  : static_cast<double>(number) * spacing;
}
