#pragma once

#include <optional>
#include <string>
#include <vector>

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

// Thrown with a one-line reason when the words do not form a valid command.
struct UsageError {
    std::string reason;
};

// Parses `vesplot inspect FILE [--kind dat|ves] [--station INDEX]` (withExportOptions false) or
// the export command's options as well.
CommandLine parseCommandLine(const std::vector<std::string>& words, bool withExportOptions);

// The reader of the command: --kind when given, else the file name's extension ("dat" or "ves").
std::string fileKindName(const CommandLine& line);
DataFileKind dataFileKind(const CommandLine& line);

// "ves" for a name ending in ".ves" in any case, "dat" for anything else.
std::string kindFromFileName(const std::string& fileName);
