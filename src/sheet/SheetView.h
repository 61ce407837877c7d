#pragma once

#include "core/Canvas.h"
class SheetState;
class Ui;
struct PlotChoices;

// Pixel size of the sheet bitmap.
struct BitmapSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const BitmapSize&, const BitmapSize&) = default;
};

// What a paint changes on its canvas and gives back when done: the mapping mode, the pen and the
// brush colour in force before the sheet's.
struct SavedCanvas {
    MapMode mapMode = MapMode::Text;
    Pen pen;
    Color brushColor = 0;
};

// The device pixel of the figure's lower-left corner (the logical origin) on a surface of
// width × height pixels: the figure centred horizontally, `offsetYCm` below the vertical centre.
Point sheetViewport(const SheetState& state, double dpiX, double dpiY, int width, int height);

// Maps 0.1 mm logical units (y up) onto a surface of width × height device pixels, the logical
// origin at sheetViewport. Returns what restoreCanvas gives back.
SavedCanvas applySheetMapping(const SheetState& state, Canvas& canvas, int width, int height);

// Gives the canvas back the pen style, width and colour, the brush colour and the mapping mode
// that applySheetMapping found.
void restoreCanvas(const SavedCanvas& saved, Canvas& canvas);

// The sheet point (0.1 mm units) under a pixel of a surface of width x height pixels at the
// given resolution, mapped as applySheetMapping maps it; for hit-testing a click.
Point sheetPointAt(const SheetState& state, int dpiX, int dpiY, int width, int height, Point pixel);

// The size part of preparing the sheet bitmap: grows the paper to fit the figure (it never shrinks
// back), refreshes xLength/yLength and returns the paper's size in pixels at the given resolution.
// The window clears the sheet image, makes a blank bitmap of this size and sets the scroll ranges.
BitmapSize prepareSheetBitmap(SheetState& state, int dpiX, int dpiY);

// Paints the whole sheet on a surface of width × height device pixels: title, axes, the ticked
// curves and the legend, with the wait cursor shown meanwhile. With a station model (state.stationModel)
// its lines go under the curves, its table over them and its legend rows after the curves' (ModelOverlay);
// without one nothing else is drawn.
void paintSheet(SheetState& state, const PlotChoices& choices, Canvas& canvas, int width, int height, Ui& ui);

// The longest axis a sheet holds, in cm: far beyond any paper, well within the int pixel range of a bitmap.
inline constexpr double maxAxisLengthCm = 10000.0;

// True when an axis length is a finite number from 0 to maxAxisLengthCm.
inline bool lengthDrawable(double lengthCm) {
    return lengthCm >= 0.0 && lengthCm <= maxAxisLengthCm;
}

// True when the sheet's axis ranges and lengths are finite and its lengths drawable: a sheet that is
// not is never painted (every output refuses it alike).
bool sheetDrawable(const SheetState& state);
