#pragma once

#include "core/Color.h"

// The colour maps of the sections, 256 sRGB entries each, darkest or coolest first.
//   Viridis: perceptually uniform, for the induced-polarisation parameters.
//   BlueYellowRed: a diverging map without rainbow hues for resistivity, conductive (low) blue,
//   resistive (high) red.
enum class ColourMap { Viridis, BlueYellowRed };

inline constexpr int colourMapSize = 256;

// Entry `index` (clamped to 0..255) of the map as a sheet colour.
Color colourMapEntry(ColourMap map, int index);
