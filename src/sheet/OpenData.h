#pragma once

#include <filesystem>

#include <cstddef>
#include <string>

#include "data/Station.h"

class SheetState;
class Ui;
struct PlotChoices;

// The reader a file is opened with, chosen by the open dialog's filter (1 and 2), never by the name.
enum class DataFileKind {
    Column = 1, // "Dat格式文件(*.dat)": header probe, then the column reader
    Tagged = 2, // "VES格式文件(*.ves)"
};

enum class OpenOutcome {
    Loaded,     // stations read, ranges and lengths derived, the first station composed
    NoStations, // the no-station message was shown; nothing was composed
    Cancelled,  // the user cancelled the reading: the sheet, its stations and the choices are untouched
    // The file's AB/2 or resistivity values give decades or axis lengths beyond what can be drawn (a
    // value near the float limit widens to infinity): rangeTooLargeMessage was shown, and the sheet,
    // its stations and the choices are untouched.
    RangeTooLarge,
};

// Message shown when a file's values cannot be drawn on any sheet.
inline constexpr const char* rangeTooLargeMessage = "数据的数值超出可绘制的范围，无法绘制图形。";

// What an open read, for the status-bar note: counts over all stations of the file.
struct DataQuality {
    std::size_t stations = 0;
    std::size_t points = 0;        // AB/2 values
    std::size_t missingValues = 0; // values of the file's fields that are -9999, +9999 or NaN
    std::size_t skippedRows = 0;   // rows the reader left out as invalid
};

// Counts the stations, points and missing values of `stations` read with the reader of `kind`:
// AB/2, resistivity and the five IP parameters of a column file, AB/2 and resistivity of a tagged
// file (whose IP fields are placeholders, not values the file left out). skippedRows stays 0.
DataQuality measureDataQuality(const StationList& stations, DataFileKind kind);

// The reading step of an open: the file read into a list of its own, so that a cancelled read leaves
// the sheet's stations as they were.
struct DataFileRead {
    StationList stations;
    // Column file: the header probe passed (the file holds IP data, also without stations).
    bool columnHeader = false;
    bool cancelled = false;
    // Data rows the column reader left out (see readColumnFile); 0 for a tagged file.
    std::size_t skippedRows = 0;
};

// Reads `path` into `read` with the reader of `kind`, reporting progress over the file's size to `ui`
// (before the reader, every 64 KB of input from the reader, and at the end). A progress report
// answered with cancel stops the reader at once and marks the read cancelled. Ends with ui.endProgress(),
// also when a reader throws; `read` then holds the stations read before the error.
void readDataFile(const std::filesystem::path& path, DataFileKind kind, Ui& ui, DataFileRead& read);

// Message shown (with the file's name after it) when a file ended before the size it had when it was
// opened: another program cut it short while it was read, and the stations read may be incomplete.
inline const std::string cutShortMessage = "数据文件在读取时变短了，读到的数据可能不完整:\n";

// Message shown when a file yields no usable sounding station.
inline constexpr const char* noStationMessage = "加载的数据文件没有电测深数据。";

// The core of the open-data command, from emptying the station list to the composition of the
// first station: reads the file with the reader of `kind`, sets the axes' logarithmic flags and
// which IP boxes can be ticked, derives the AB/2 and resistivity decades and the IP range from all
// stations, the axis lengths (6.25 cm per decade) and the axis ranges, fills the station selector
// (item 0 selected, RES ticked, window visible) and composes the sheet.
// AB/2 and resistivity values that are not positive and finite take no part in the decade scan; a
// file without any such value counts as a file without stations.
// The file is read into a list of its own first (readDataFile), which then replaces the sheet's
// stations. A cancelled read returns Cancelled and changes nothing.
// A ConversionError from a reader propagates unchanged: the stations read before it replace the
// sheet's, and nothing after the reading is done.
// `quality`, when given, receives the counts of a completed read (Loaded or NoStations).
//
// The window's open command around it: show the open dialog (cancel: stop, nothing changes);
// `saved` := false; openDataFile; on Cancelled stop with everything as before (`saved` included);
// on NoStations stop (picture, selector and commands stay).
// On Loaded: show and press the station tool button, mirror `choices` into the plot control
// window, clear the sheet image, prepareSheetBitmap, make the bitmap and paintSheet on it, status
// panel 2 "数据剖面图绘制成功。", repaint the status bar, processPendingMessages, and on the first
// successful open switch on the After-load commands. A ConversionError is shown by the
// application's error display and ends the command.
OpenOutcome openDataFile(SheetState& state, PlotChoices& choices, const std::filesystem::path& path,
                         DataFileKind kind, Ui& ui, DataQuality* quality = nullptr);

// openDataFile without the final composition: everything up to and including the axis ranges and
// lengths, with station 0 selected. The headless commands compose the station they were asked for.
OpenOutcome loadDataFile(SheetState& state, PlotChoices& choices, const std::filesystem::path& path,
                         DataFileKind kind, Ui& ui, DataQuality* quality = nullptr);

// Rounding of the ends of the IP range to steps of their own magnitude, in place. An exact step
// value moves a full step up at the upper end (30 gives 40).
void roundDownIpLimit(float& value);
void roundUpIpLimit(float& value);
