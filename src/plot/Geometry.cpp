#include "plot/Geometry.h"

#include <climits>
#include <cmath>

int toCoord(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value); // truncation toward zero
}

int toCoord(float value) {
    return toCoord(static_cast<double>(value));
}

float distanceToSlantedLine(float x, float y, float xa, float ya, float xb, float yb) {
    const float k = (yb - ya) / (xb - xa);
    return std::fabs(-k * x + y + (k * xa - ya)) / std::sqrt(k * k + 1.0f);
}
