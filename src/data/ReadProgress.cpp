#include "ReadProgress.h"

#include <algorithm>

#include "core/Ui.h"
#include "data/ReadReport.h"

ReadProgress::ReadProgress(Ui& ui, const DataFileStream& stream, ReadReport* report)
    : ui(ui), stream(stream), readReport(report), total(stream.fileSize()),
      nextReport(stream.position() + progressStep) {}

bool ReadProgress::reportPosition() {
    const std::uint64_t at = stream.position();
    nextReport = at + progressStep;
    // A file that grew while it is read is reported as full, never beyond.
    return report(std::min(at, total));
}

bool ReadProgress::report(std::uint64_t done) {
    // Never backwards, also when the file shrank while it is read.
    done = std::max(done, lastDone);
    lastDone = done;
    if (!ui.progress(done, std::max(total, done))) {
        stopped = true;
        if (readReport)
            readReport->cancelled = true;
    }
    return !stopped;
}

void ReadProgress::finish() {
    if (readReport && stream.endedShort())
        readReport->cutShort = true;
    if (!stopped)
        report(total);
}
