#pragma once

#include "Color.h"

#include <cstdint>

// The line styles the program draws with; the pen dialog offers all of them.
enum class PenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot };

// How a pen combines with what is already on the surface: the program only ever copies its colour.
enum class PenMode : std::uint8_t { Copy };

// Pen attributes; the width is in logical units of the surface (a pen is at least one device pixel wide).
struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    Color color = colors::black;
    PenMode mode = PenMode::Copy;
    friend bool operator==(const Pen&, const Pen&) = default;
};
