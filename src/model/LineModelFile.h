#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelFile.h"

namespace model {

// One station's entry of a line's model file.
struct LineModelEntry {
    int station = 0;
    LayeredModel model;
    double rmsPercent = -1.0; // -1 for a model that is no fit
    ModelFileContent content;
};

// Every model of a survey line in one JSON file: the per-station model objects of ModelFile.h, one per
// line, in an array:
//   {"format":"vesplot-line-models","version":1,"stations":[
//   {"format":"vesplot-model","version":2,"station":N,...},
//   ...]}
// None of these functions throws; failures come back as error text for the user.
struct LineModelFileResult {
    std::vector<LineModelEntry> stations;
    std::string error;
    ModelFileError kind = ModelFileError::None;
    std::size_t entry = 0;               // the entry refused, from 1; 0 when the file as a whole is
    int station = 0;                     // that entry's station
    std::optional<DomainReason> outside; // with OutsideDomain: what lies outside

    bool ok() const { return error.empty(); }
};

std::string formatLineModelFile(const std::vector<LineModelEntry>& entries);
// A malformed text, another format or version, or a station object that its own reader refuses give an
// error naming the entry.
LineModelFileResult parseLineModelFile(std::string_view text);

} // namespace model
