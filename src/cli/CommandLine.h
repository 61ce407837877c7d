#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "data/Quantity.h"
#include "sheet/OpenData.h"

// Options of the headless commands, parsed from the words after the command name.
struct CommandLine {
    std::string file;
    std::optional<std::string> kind; // "dat" or "ves"
    int station = 0;
    bool stationGiven = false;    // --station was given
    std::string output;           // export: -o
    std::vector<Quantity> params; // export: --params res,m1,r,td,th,zp
    std::vector<int> symbols;     // export: --symbols N,N,N,N,N,N
    int dpi = 96;                 // export: --dpi
    bool all = false;             // export: --all, one sheet per station
    int invertLayers = 0;         // export: --invert K, a block fit of K layers drawn on each sheet
    bool smooth = false;          // export: --smooth, a smooth fit drawn on each sheet
};

// The resolutions a bitmap sheet or section is written at, in dots per inch.
inline constexpr int kMinOutputDpi = 10;
inline constexpr int kMaxOutputDpi = 2400;
// The symbol numbers of a curve: 0 none, 1 to 12 a marker.
inline constexpr int kMinSymbol = 0;
inline constexpr int kMaxSymbol = 12;

// "res, m1, r, td, th, zp": the quantities' command names, for the messages that list them.
std::string quantityNameList();

// The options of every command that reads a data file: --kind dat|ves and --station INDEX.
std::vector<OptionTable::Option> readerOptions(CommandLine& line);

// --lateral [W] of invert and section: one fit of all stations, with the weight W when the next word
// reads as a number. A weight that is not positive is refused with "--lateral VERB a positive weight, not
// 'W'" (invert's message says "takes", section's "expects").
OptionTable::Option lateralOption(bool& lateral, std::optional<double>& weight, const std::string& verb);

// The data file given, else UsageError "no data file given".
std::string requireFile(const std::optional<std::string>& file);

// Parses `vesplot inspect FILE [--kind dat|ves] [--station INDEX]` (withExportOptions false) or
// the export command's options as well.
CommandLine parseCommandLine(const std::vector<std::string>& words, bool withExportOptions);

// The reader of the command: --kind when given, else the file name's extension ("dat" or "ves").
std::string fileKindName(const CommandLine& line);
DataFileKind dataFileKind(const CommandLine& line);

// "ves" for a name ending in ".ves" in any case, "dat" for anything else.
std::string kindFromFileName(const std::string& fileName);
