#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QImage;
class QIODevice;
class SheetState;
class Ui;
struct PlotChoices;

// PDF pages are laid out at this resolution; the sheet mapping makes the drawing size independent of it.
inline constexpr int pdfPageResolution = 1200;
// SVG user units of 0.1 mm: the sheet's own unit, so coordinates stay whole numbers.
inline constexpr int svgUnitsPerInch = 254;

// Writes the composed sheet to `path` through the same paint pipeline as the window, the format
// chosen by the extension: .png and .bmp as bitmaps of the paper at `dpi`, .pdf and .svg as
// vector pages of the paper's size at true scale (1 cm of axis is 1 cm on the page).
// The file is written whole or not at all: into a temporary file beside `path`, every write checked,
// then renamed over it; on any failure the temporary is removed and an existing file stays as it was.
// `path` must be a regular file or a new name, and not `dataFile` (the data file drawn, when given).
// Bitmaps over maxSheetBitmapSide pixels a side are refused before any memory is taken for them.
// Returns an empty text on success, else a one-line reason.
std::string writeSheetFile(SheetState& state, const PlotChoices& choices, const std::string& path, int dpi,
                           Ui& ui, const std::filesystem::path& dataFile = {});

// Writes `count` sheets as the pages of one PDF at true scale: before page i, `composePage(i)`
// composes the sheet for it. Written whole or not at all, as writeSheetFile.
// Returns an empty text on success, else a one-line reason.
std::string writeSheetPdfPages(SheetState& state, const PlotChoices& choices, const std::string& path,
                               std::size_t count, const std::function<void(std::size_t)>& composePage, Ui& ui,
                               const std::filesystem::path& dataFile = {});

// The reason given when a bitmap of the sheet would exceed maxSheetBitmapSide pixels a side.
inline constexpr const char* sheetTooLargeForExportMessage = "图纸太大，无法以该分辨率导出！";

// For tests: every sheet file written after this call fails as a full disk would once `bytes` bytes
// have been written to it; nullopt ends that.
void failSheetFileWritesAfter(std::optional<std::int64_t> bytes);

// True when the extension of `path` is one writeSheetFile knows.
bool isSheetFileFormat(const std::string& path);

// Writes `path` whole or not at all: `write` fills a temporary file beside it through a checked
// device and returns a reason when it failed; the temporary replaces the file only when every byte
// went out. `path` must be a regular file or a new name, and not `dataFile`.
// Returns an empty text on success, else a one-line reason.
std::string writeFileWhole(const std::string& path, const std::filesystem::path& dataFile,
                           const std::function<std::string(QIODevice&)>& write);

// Writes a painted bitmap as a PNG of `dpi` through the sheet's own encoder, whole or not at all.
std::string writePngImage(const QImage& image, const std::string& path, int dpi,
                          const std::filesystem::path& dataFile);
