#pragma once

#include <iosfwd>
#include <new>

#include "core/Ui.h"

// Writes "vesplot NAME: " and outOfMemoryMessage to `err` (as far as memory allows) and returns 1.
int reportOutOfMemory(const char* name, std::ostream& err) noexcept;

// Runs the body of the headless command `name` and returns its exit status; a failed allocation
// anywhere in it ends the command with outOfMemoryMessage on `err` and status 1 instead of an abort.
// A template, so that guarding allocates nothing itself.
template <class Body> int runGuarded(const char* name, std::ostream& err, Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return reportOutOfMemory(name, err);
    }
}
