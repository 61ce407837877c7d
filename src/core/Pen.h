#pragma once

#include "Color.h"

#include <cstdint>

// Pen style codes: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 clear, 6 inside frame.
// Mix modes 0..15 (4 = copy): black, white, nop, not, copy, not-copy, merge-pen-not, mask-pen-not,
// merge-not-pen, mask-not-pen, merge, not-merge, mask, not-mask, xor, not-xor.
namespace penstyle {
inline constexpr int solid = 0, dash = 1, dot = 2, dashDot = 3, dashDotDot = 4, clear = 5, insideFrame = 6;
}
namespace penmode {
inline constexpr int black = 0, white = 1, nop = 2, invert = 3, copy = 4, notCopy = 5, mergePenNot = 6,
                     maskPenNot = 7, mergeNotPen = 8, maskNotPen = 9, merge = 10, notMerge = 11, mask = 12,
                     notMask = 13, xorPen = 14, notXor = 15;
}

// Pen attributes; the width is in logical units of the surface (a pen is at least one device pixel wide).
struct Pen {
    int style = penstyle::solid;
    int width = 1;
    Color color = colors::black;
    int mode = penmode::copy;
    friend bool operator==(const Pen&, const Pen&) = default;
};
