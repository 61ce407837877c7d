#pragma once

#include <optional>

// Runs `vesplot inspect ...` or `vesplot export ...` when argv names one of them and returns its
// exit status; returns nothing for any other command line (the window starts then).
std::optional<int> runHeadlessCommand(int argc, char* argv[]);
