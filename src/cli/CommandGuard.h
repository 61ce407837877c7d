#pragma once

#include <functional>
#include <iosfwd>

#include "core/Ui.h"

// Runs the body of the headless command `name` and returns its exit status; a failed allocation
// anywhere in it ends the command with outOfMemoryMessage on `err` and status 1 instead of an abort.
int runGuarded(const char* name, std::ostream& err, const std::function<int()>& body);
