#pragma once

#include <cstdint>

// What a reader tells its caller besides the stations.
struct ReadReport {
    // The user cancelled at a progress report: the reading stopped there and the file is closed.
    // The stations read so far are incomplete.
    bool cancelled = false;
    // Data rows the column reader left out (see readColumnFile); always 0 for a tagged file.
    std::uint64_t skippedRows = 0;
    // The file ended before the size it had when it was opened: it was cut short while it was read.
    bool cutShort = false;
};
