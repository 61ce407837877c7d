#pragma once

#include "render/QtCanvas.h"
#include "sheet/SheetView.h"

#include <QImage>

#include <filesystem>
#include <string>

class Canvas;
class SectionSheet;

// Draws a laid-out section on a surface `pixelHeight` device pixels high: the sheet's lower left
// corner at the surface's lower left, 0.1 mm units at the canvas's resolution.
void paintSection(const SectionSheet& section, Canvas& canvas, int pixelHeight);

// The section's size in pixels at `dpi`.
BitmapSize sectionBitmapSize(const SectionSheet& section, int dpi);

// The section painted on white at `dpi`; a null image when it would exceed maxSheetBitmapSide pixels
// a side or the memory cannot be had. PNG files are drawn pixel-exact; the window shows it smooth.
QImage sectionImage(const SectionSheet& section, int dpi,
                    QtCanvas::Rendering rendering = QtCanvas::Rendering::Pixel);

// Writes a laid-out section to `path`, the format chosen by the extension: .pdf and .svg as one page
// of the section's true size, .png as a bitmap at `dpi`. Written whole or not at all, never onto a
// device, a folder or `dataFile`. Returns an empty text on success, else a one-line reason.
std::string writeSectionFile(const SectionSheet& section, const std::string& path, int dpi,
                             const std::filesystem::path& dataFile = {});

// True when the extension of `path` is one writeSectionFile knows (.pdf, .svg, .png, any case).
bool isSectionFileFormat(const std::string& path);
