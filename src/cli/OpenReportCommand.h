#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `vesplot inspect FILE [--kind dat|ves] [--station INDEX]`: runs the open-data command's core
// without a window (message boxes recorded, not shown) and prints one JSON object describing what
// the file reads as and how the sheet was composed. Returns the exit status: 0, or 2 for a usage
// error (with the usage text on `err`).
int runInspect(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

// The usage text of the headless commands.
extern const char* const headlessUsage;
