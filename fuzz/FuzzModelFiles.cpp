// libFuzzer entry for the model files: the input read as one station's model file and as a line's file.
// Whatever they accept is a valid model; anything else is refused with a reason, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/ForwardDomain.h"
#include "model/LineModelFile.h"
#include "model/ModelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto accepted = [](const model::LayeredModel& earth) {
        return earth.isValid() && model::modelOutsideDomain(earth).empty();
    };
    const model::ModelFileResult read = model::parseModelFile(text, 1);
    if (read.ok() != (read.kind == model::ModelFileError::None) || (read.ok() && !accepted(read.model)))
        std::abort();
    if (const auto station = model::modelFileStation(text);
        station && !model::parseModelFile(text, *station).ok())
        std::abort();
    const model::LineModelFileResult line = model::parseLineModelFile(text);
    if (line.ok() != (line.kind == model::ModelFileError::None))
        std::abort();
    for (const model::LineModelEntry& entry : line.stations)
        if (!accepted(entry.model))
            std::abort();
    return 0;
}
