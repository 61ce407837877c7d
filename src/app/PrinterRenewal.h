#pragma once

#include <memory>

class QPrinter;

// A printer whose job could not start (no system printer, a queue that refused it) stays "active" and
// refuses every later setting, so that even a file chosen in the printer set-up would never be
// printed. This gives a fresh printer with the same choices (destination, page, copies, colour) in
// its place.
std::unique_ptr<QPrinter> renewedPrinter(const QPrinter& stuck);
