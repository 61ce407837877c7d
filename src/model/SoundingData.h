#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace model {

// The measured points of one sounding, as plain columns of equal length. Lengths (AB/2, MN/2) in m,
// apparent resistivity in ohm-m, M1 (apparent chargeability) in percent. mn2 and m1 may be empty. A point
// whose AB/2 or resistivity is missing (-9999, +9999, NaN) or not positive is left out of a fit; an M1 value
// that is missing is left out of the chargeability fit only.
struct SoundingData {
    std::vector<double> ab2;
    std::vector<double> mn2;
    std::vector<double> rhoa;
    std::vector<double> m1;

    // From columns of floats or doubles as the caller holds them.
    template <class T>
    static SoundingData from(std::span<const T> ab2, std::span<const T> mn2, std::span<const T> rhoa,
                             std::span<const T> m1 = {}) {
        return {{ab2.begin(), ab2.end()},
                {mn2.begin(), mn2.end()},
                {rhoa.begin(), rhoa.end()},
                {m1.begin(), m1.end()}};
    }
};

// The usable points of a sounding, in their original order.
struct UsablePoints {
    std::vector<double> ab2;
    std::vector<double> mn2;         // as modelled: 0 for an ideal array
    std::vector<double> measuredMn2; // as measured (0 where there is none): the segment a point belongs to
    std::vector<double> rhoa;
    std::vector<double> m1;         // percent, NaN where missing
    std::vector<std::size_t> index; // position in the sounding

    // ideal: model every point with an ideal array, whatever its MN/2. masked: positions in the sounding
    // left out.
    static UsablePoints of(const SoundingData& data, bool ideal, std::span<const std::size_t> masked = {});
    std::size_t size() const { return ab2.size(); }
    std::size_t chargeabilityCount() const;
};

// Why a mask cannot be applied to the sounding (a position past its points), or empty.
std::string maskOutsideStation(const SoundingData& data, std::span<const std::size_t> masked);

} // namespace model
