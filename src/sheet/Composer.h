#pragma once

#include <string>

class SheetState;
struct PlotChoices;

// Title of every sheet.
inline constexpr const char* sheetTitle = "电测深观测数据";

// Fills the sheet from the station selected in `choices`: the title, the four axes around the
// frame (0, 0)–(xLength, yLength) and the six curves with the station's measurements (missing
// values, ±9999 and NaN skipped). Draws nothing. The axis ranges, log flags and lengths must have
// been set by the open command.
// Returns false and changes nothing when the selection is not an index into `stations` (an empty
// list after an open without stations, or no selection).
//
// The window's rebuildSheet (apply button): clear the sheet image; if composeSheet returns true,
// prepareSheetBitmap, make the bitmap and paintSheet on it with the image's size.
// Ends by resetBadAxisRanges, after the curves have taken the ranges.
bool composeSheet(SheetState& state, const PlotChoices& choices);

// Warns through the state's Ui about each logarithmic axis whose range cannot be drawn, once per
// axis, and gives that axis the range 1..100.
void resetBadAxisRanges(SheetState& state);
