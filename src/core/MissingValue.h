#pragma once

#include <cmath>

// Marks an absent value in every value field of a station, in both file kinds; the sign-flipped
// +9999 marks one too.
inline constexpr float missingValue = -9999.0f;

// An absent value: the missing marker of either sign, or NaN. Infinite values are not absent: a reader
// yields them for numbers beyond the float range, and each use decides what to make of them.
inline bool isMissing(double value) {
    return value == static_cast<double>(missingValue) || value == -static_cast<double>(missingValue) ||
           std::isnan(value);
}
