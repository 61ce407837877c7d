// libFuzzer entry for the survey file readers. FUZZ_READER selects the entry point: 1 the tagged
// reader, 2 the column reader, 3 the header probe (which calls the column reader), 4 the whole
// open-and-compose path of `vesplot inspect`, run on the input as a column file and as a tagged file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/MessageRecorder.h"
#include "cli/OpenReportCommand.h"
#include "core/ConversionError.h"
#include "data/ColumnFileProbe.h"
#include "data/ColumnFileReader.h"
#include "data/TaggedFileReader.h"

namespace {

// One input file per fuzzing process, in memory where the system has it; removed after each run, since
// libFuzzer may end the process without running exit handlers.
const std::string& inputPath() {
    static const std::string path = [] {
        std::string folder = std::filesystem::is_directory("/dev/shm")
                                 ? "/dev/shm"
                                 : std::filesystem::temp_directory_path().string();
        std::string p = folder + "/vesplot-fuzz-" + std::to_string(std::random_device{}()) +
                        (FUZZ_READER == 1 ? ".ves" : ".dat");
        return p;
    }();
    return path;
}

// Output of the inspect command, discarded by a buffer that takes every byte (a stream without a
// buffer would fail, and the command rightly reports a report it could not write).
class DiscardBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

std::ostream& nullStream() {
    static DiscardBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

// The inspect command's core on `path` read as `kind`. It reports every file's outcome in its JSON and
// exits 0; any other status for an existing file is a fault.
void inspectAs(const std::string& path, const char* kind) {
    const std::vector<std::string> words{path, "--kind", kind};
    if (runInspect(words, nullStream(), nullStream()) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = inputPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    if (FUZZ_READER == 4) {
        inspectAs(path, "dat");
        inspectAs(path, "ves");
        std::remove(path.c_str());
        return 0;
    }

    MessageRecorder ui;
    StationList stations;
    try {
        if (FUZZ_READER == 1)
            readTaggedFile(ui, path, stations);
        else if (FUZZ_READER == 2)
            readColumnFile(ui, path, stations);
        else
            probeColumnFile(ui, path, stations);
    } catch (const ConversionError&) {
        // A text that is no number ends the reading: a defined outcome.
    }
    std::remove(path.c_str());
    // The station model's invariant: every record non-empty, its nine vectors of one length.
    for (const Station& s : stations) {
        const std::size_t n = s.abHalf.size();
        if (n == 0 || s.stationNumber.size() != n || s.pointCode.size() != n || s.resistivity.size() != n ||
            s.chargeability.size() != n || s.deviation.size() != n || s.halfDecayTime.size() != n ||
            s.decay.size() != n || s.compositeParameter.size() != n)
            std::abort();
    }
    return 0;
}
