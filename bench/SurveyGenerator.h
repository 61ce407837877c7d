#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Seeded generators of realistic large survey files (GBK bytes): Schlumberger spacings from 1.5 m,
// smooth layered resistivity curves, IP values, and a few invalid rows and missing values.

// A column data file (".dat") of `rows` measurement rows; about 1 % of the rows are invalid (flag 0 or
// -1, AB/2 too small, negative resistivity) and about 2 % carry the missing-value marker in IP columns.
std::string generateColumnFile(std::size_t rows, std::uint32_t seed);

// A tagged sounding file (".ves") with `rows` measurement pairs in total, in blocks of 20 to 60 pairs
// with small auxiliary tables.
std::string generateTaggedFile(std::size_t rows, std::uint32_t seed);
