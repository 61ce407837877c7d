#pragma once

#include <cstddef>
#include <functional>
#include <string>

class SheetState;
class Ui;
struct PlotChoices;

// Writes the composed sheet to `path` through the same paint pipeline as the window, the format
// chosen by the extension: .png and .bmp as bitmaps of the paper at `dpi`, .pdf and .svg as
// vector pages of the paper's size at true scale (1 cm of axis is 1 cm on the page).
// Returns an empty text on success, else a one-line reason.
std::string writeSheetFile(SheetState& state, const PlotChoices& choices, const std::string& path, int dpi, Ui& ui);

// Writes `count` sheets as the pages of one PDF at true scale: before page i, `composePage(i)`
// composes the sheet for it. Returns an empty text on success, else a one-line reason.
std::string writeSheetPdfPages(SheetState& state, const PlotChoices& choices, const std::string& path,
                               std::size_t count, const std::function<void(std::size_t)>& composePage, Ui& ui);

// True when the extension of `path` is one writeSheetFile knows.
bool isSheetFileFormat(const std::string& path);
