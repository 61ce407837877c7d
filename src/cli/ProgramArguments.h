#pragma once

#include <string>
#include <vector>

// The program's arguments as UTF-8, whatever the system's code page: on Windows they are taken from
// the wide command line, since the narrow argv there cannot hold Chinese file names.
std::vector<std::string> utf8Arguments(int argc, char* argv[]);

// A program built for the window subsystem (Windows) has no console: a headless command started
// from one writes its output and messages to the console it was started from. Elsewhere nothing to do.
void attachToParentConsole();
