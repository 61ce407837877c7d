#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/Station.h"

// Seeded generators of realistic large survey files (GBK bytes): Schlumberger spacings from 1.5 m,
// smooth layered resistivity curves, IP values, and a few invalid rows and missing values.

// A column data file (".dat") of `rows` measurement rows; about 1 % of the rows are invalid (flag 0 or
// -1, AB/2 too small, negative resistivity) and about 2 % carry the missing-value marker in IP columns.
std::string generateColumnFile(std::size_t rows, std::uint32_t seed);

// A tagged sounding file (".ves") with `rows` measurement pairs in total, in blocks of 20 to 60 pairs
// with small auxiliary tables.
std::string generateTaggedFile(std::size_t rows, std::uint32_t seed);

// A survey line of `stations` soundings numbered 1..N (20 m apart on the ground), each with 30 AB/2 in
// equal log steps from 1.5 m to 1000 m, over a three-layer earth that changes along the line: a resistive
// cover of a few metres, a conductive, chargeable clay that thickens into a basin two fifths along the line,
// and a resistive basement cut by a conductive fault zone three quarters along. Apparent resistivity and M1
// are the layered earth's responses with 1 % noise (MN/2 0.5, 5 or 25 m as in the field); `noiseLevel` sets
// the resistivities' relative noise instead (the same random draws, scaled).
StationList generateSurveyLine(int stations, std::uint32_t seed, double noiseLevel = 0.01);

// The stations as a column data file (".dat", GBK bytes).
std::string columnFileOf(const StationList& stations);
