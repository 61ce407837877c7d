#pragma once

#include <cstdint>

class Canvas;

// The marker symbols, in the order the plot control window lists them and the command line numbers
// them (0 none … 12 filled diamond).
enum class SymbolKind : std::uint8_t {
    None,
    Plus,
    Cross,
    OpenCircle,
    FilledCircle,
    OpenSquare,
    FilledSquare,
    OpenTriangleUp,
    FilledTriangleUp,
    OpenTriangleDown,
    FilledTriangleDown,
    OpenDiamond,
    FilledDiamond,
};

// The symbol of a list number; a number outside 0..12 stands for none.
SymbolKind symbolKindOf(int number);

// Draws a marker symbol centred at the logical point (x, y) in a box of width × height units,
// outlined with the canvas pen. Shapes with a fill set the brush colour (white for the open circle,
// black for the filled shapes) and leave it set: the caller restores it.
void drawSymbol(Canvas& canvas, SymbolKind kind, int x, int y, int width, int height);
