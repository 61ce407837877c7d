#pragma once

#include <filesystem>

#include <string>

#include "data/ReadReport.h"
#include "data/Station.h"

class Ui;

// Checks the header of a column data file: when its second non-empty line holds "测深", reads the
// file with readColumnFile into `stations` and returns true (the caller then sets up the axes and
// the IP parameters for IP data, also when no station was found). Returns false, after a message
// when the file cannot be opened or has no second line, otherwise silently.
// Progress, cancelling and the skipped rows go as for readColumnFile; a cancel while the header is
// looked for (in a long run of empty lines) returns false with `report->cancelled` set.
bool probeColumnFile(Ui& ui, const std::filesystem::path& fileName, StationList& stations,
                     ReadReport* report = nullptr);
