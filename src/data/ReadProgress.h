#pragma once

#include <cstdint>

#include "data/DataFileStream.h"

class Ui;
struct ReadReport;

// Bytes of input between two progress reports of a reader.
inline constexpr std::uint64_t progressStep = 1 << 16;

// Reports how far a reader got through its open stream to ui.progress(position, file size), once
// every progressStep bytes, so that the check per line costs one comparison. A report answered with
// cancel marks `report` (when given) cancelled and ends the reading.
class ReadProgress {
public:
    ReadProgress(Ui& ui, const DataFileStream& stream, ReadReport* report);

    // False once the user cancelled.
    bool keepReading() { return !stopped && (stream.position() < nextReport || reportPosition()); }

    // Reports the whole file read, at the end of a completed read.
    void finish();

    bool cancelled() const { return stopped; }

private:
    bool reportPosition();
    bool report(std::uint64_t done);

    Ui& ui;
    const DataFileStream& stream;
    ReadReport* readReport;
    std::uint64_t total;
    std::uint64_t nextReport;
    std::uint64_t lastDone = 0;
    bool stopped = false;
};
