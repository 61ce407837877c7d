#pragma once

#include <cstdint>
#include <string_view>

#include "data/DataFileStream.h"

class Ui;

// Number texts of the data files: the program's conversion rules (a point as decimal separator, an
// optional sign and exponent, no hexadecimal, no "inf" or "nan"), with a fast path for the common
// plain numbers.

// Same acceptance and value as tryParseFloat with a point.
bool tryParseFileFloat(std::string_view text, double& value);
// As parseFloat and parseInt: throw ConversionError when `text` is no number, the file's text (in
// the file's encoding) shown as UTF-8 in the message, GBK decoded by `ui`.
double parseFileFloat(std::string_view text, TextEncoding encoding, const Ui& ui);
int parseFileInt(std::string_view text, TextEncoding encoding, const Ui& ui);

// A double as a 32-bit float; false when it lies beyond the float range.
bool toStoredFloat(double value, float& stored);

// Truncation toward zero to 32 bits; false when the value does not fit.
bool truncateToInt32(double value, std::int32_t& truncated);
