#pragma once

class Canvas;

// Draws marker symbol `kind` (0 none, 1 plus, 2 cross, 3/4 open/filled circle, 5/6 open/filled
// square, 7/8 open/filled triangle up, 9/10 open/filled triangle down, 11/12 open/filled diamond)
// centred at the logical point (x, y) in a box of width × height units, outlined with the canvas
// pen. Shapes with a fill set the brush colour (white for the open circle, black for the filled
// shapes) and leave it set: the caller restores it. Other numbers draw nothing.
void drawSymbol(Canvas& canvas, int kind, int x, int y, int width, int height);
