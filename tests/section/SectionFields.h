#pragma once

#include "data/Station.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

// Builders of small stations and fields for the section tests.
namespace sectiontest {

// A station with the given AB/2 and resistivities; the IP columns hold `m1` (or missing).
inline Station station(std::int32_t number, const std::vector<float>& ab, const std::vector<float>& rho,
                       const std::vector<float>& m1 = {}) {
    Station p;
    for (std::size_t i = 0; i < ab.size(); ++i) {
        const float m = i < m1.size() ? m1[i] : missingValue;
        p.appendPoint(number, ab[i], rho[i], m, missingValue, missingValue, missingValue, missingValue);
    }
    return p;
}

// A row-major field of columns x rows from f(column, row).
inline std::vector<double> field(int columns, int rows, const std::function<double(int, int)>& f) {
    std::vector<double> values;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            values.push_back(f(c, r));
    return values;
}

} // namespace sectiontest
