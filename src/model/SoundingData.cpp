#include "model/SoundingData.h"

#include "core/MissingValue.h"
#include "model/ForwardDomain.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace model {

namespace {

// A point the fit cannot use: absent, or beyond the float range the readers keep.
bool unusable(double value) {
    return isMissing(value) || std::isinf(value);
}

// The column reader keeps AB/2 0.0001 m high (as the sheet draws it): an MN/2 that close to its AB/2 was
// written equal to it, an ideal array by the file's convention.
constexpr double kStoredAbove = 2e-4;

} // namespace

UsablePoints UsablePoints::of(const SoundingData& data, bool ideal, std::span<const std::size_t> masked) {
    UsablePoints out;
    const std::size_t n = std::min(data.ab2.size(), data.rhoa.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double s = data.ab2[i];
        const double rho = data.rhoa[i];
        if (unusable(s) || unusable(rho) || s <= 0.0 || rho <= 0.0 ||
            std::find(masked.begin(), masked.end(), i) != masked.end())
            continue;
        const double b = i < data.mn2.size() ? data.mn2[i] : 0.0;
        const double m = i < data.m1.size() ? data.m1[i] : std::numeric_limits<double>::quiet_NaN();
        out.ab2.push_back(s);
        const bool measured = !unusable(b) && b > 0.0;
        const bool finite = measured && b >= domain::kIdealFraction * s && b < s - kStoredAbove;
        out.mn2.push_back(!ideal && finite ? b : 0.0);
        out.measuredMn2.push_back(measured ? b : 0.0);
        out.rhoa.push_back(rho);
        out.m1.push_back(unusable(m) ? std::numeric_limits<double>::quiet_NaN() : m);
        out.index.push_back(i);
    }
    return out;
}

std::size_t UsablePoints::chargeabilityCount() const {
    std::size_t count = 0;
    for (double m : m1)
        count += std::isnan(m) ? 0 : 1;
    return count;
}

std::string maskOutsideStation(const SoundingData& data, std::span<const std::size_t> masked) {
    const std::size_t pointCount = std::min(data.ab2.size(), data.rhoa.size());
    for (std::size_t i : masked)
        if (i >= pointCount)
            return "Point " + std::to_string(i) + " cannot be masked: the station has " +
                   std::to_string(pointCount) + " points.";
    return {};
}

} // namespace model
