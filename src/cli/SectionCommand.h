#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `vesplot section FILE -o OUT [--kind dat|ves] [--param res|m1|r|td|th|zp|model] [--spacing M] [--order]
// [--scale N] [--layers K | --smooth] [--dpi N]`: opens FILE as the open command does and writes the
// section of all its stations (a pseudosection of one parameter, or the section of the stations' fitted
// models) to OUT. Exit status 0; 1 for a file without stations, a section that cannot be laid out or an
// output that cannot be written (nothing written then); 2 for a wrong command line. Needs a QGuiApplication.
int runSection(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);
