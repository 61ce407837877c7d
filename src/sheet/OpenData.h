#pragma once

#include <string>

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
};

// Message shown when a file yields no usable sounding station.
inline constexpr const char* noStationMessage = "加载的数据文件没有电测深数据。";

// The core of the open-data command, from emptying the station list to the composition of the
// first station: reads the file with the reader of `kind`, sets the axes' logarithmic flags and
// which IP boxes can be ticked, derives the AB/2 and resistivity decades and the IP range from all
// stations, the axis lengths (6.25 cm per decade) and the axis ranges, fills the station selector
// (item 0 selected, RES ticked, window visible) and composes the sheet.
// AB/2 and resistivity values that are not positive and finite take no part in the decade scan; a
// file without any such value counts as a file without stations.
// A ConversionError from a reader propagates unchanged; nothing after the reading is done then.
//
// The window's OpenDataExecute around it: show the open dialog (cancel: stop, nothing changes);
// `saved` := false; openDataFile; on NoStations stop (picture, selector and commands stay).
// On Loaded: show and press the station tool button, mirror `choices` into the plot control
// window, clear the sheet image, prepareSheetBitmap, make the bitmap and paintSheet on it, status
// panel 2 "数据剖面图绘制成功。", repaint the status bar, processPendingMessages, and on the first
// successful open switch on the After-load commands. A ConversionError is shown by the
// application's error display and ends the command.
OpenOutcome openDataFile(SheetState& state, PlotChoices& choices, const std::string& path, DataFileKind kind,
                         Ui& ui);

// openDataFile without the final composition: everything up to and including the axis ranges and
// lengths, with station 0 selected. The headless commands compose the station they were asked for.
OpenOutcome loadDataFile(SheetState& state, PlotChoices& choices, const std::string& path, DataFileKind kind,
                         Ui& ui);

// Rounding of the ends of the IP range to steps of their own magnitude, in place. An exact step
// value moves a full step up at the upper end (30 gives 40).
void roundDownIpLimit(float& value);
void roundUpIpLimit(float& value);
