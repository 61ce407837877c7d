#pragma once

struct Pen;
class Canvas;
class ModelOverlay;
class SheetState;
struct PlotChoices;

// Legend block of the sheet, in logical units under the sheet mapping: one row per drawn curve
// that has a symbol, in the order RES, M1, R, TD, TH, ZP, stacked downward from just inside the
// frame's top right corner (taken from the right axis's second point). With an overlay, its lines
// follow as rows of their own: the line sample with the line's pen (in dashes for a dashed line), no symbol;
// the block then moves left as far as their longer labels need.
void drawLegend(const SheetState& state, const PlotChoices& choices, Canvas& canvas,
                const ModelOverlay* overlay = nullptr);

// One legend entry into the box left/top/right/bottom (top is the upper side as seen on the page):
// a line sample through the box's middle with `pen`, then box symbol `symbol` outlined in black
// with the pen's width and style. Filled symbols are filled with their own colour whatever the
// canvas's brush style; the brush colour and style are given back.
void drawLegendEntry(Canvas& canvas, int symbol, const Pen& pen, int left, int top, int right, int bottom);
