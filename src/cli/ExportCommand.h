#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `vesplot export FILE -o OUT [...]`: opens FILE as the open command does, composes the chosen
// station with the chosen parameters and symbols, and paints the sheet into OUT. Messages the
// command raises are written to `err`. Returns 0, 1 when nothing could be drawn or written, or 2
// for a usage error. Needs a QGuiApplication.
int runExport(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);
