#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/BlockInversion.h"
#include "model/FitReport.h"
#include "model/ForwardDomain.h"
#include "model/ForwardModel.h"

namespace model {

// What a model file keeps of the fit beyond the layers: how the number of layers was set, the segment
// correction and the points left out. Empty for a model typed in or read from a version 1 file.
struct ModelFileContent {
    bool autoLayers = false; // the count was chosen by the fit (the model's size is the count chosen)
    SegmentReference segmentReference = SegmentReference::None; // None: no segment factors
    std::vector<SegmentFactor> segments;                        // increasing MN/2, as the fit reported them
    std::vector<std::size_t> masked;                            // the station's positions, increasing

    bool operator==(const ModelFileContent& other) const;
};

// The content of a block fit asked for with `options` that gave `report`.
ModelFileContent modelFileContentOf(const BlockFitOptions& options, const FitReport& report);

// A station's layered model as a small JSON file (version 2; version 1 files are read as well):
//   {"format":"vesplot-model","version":2,"station":N,
//    "layers":[{"rho":..,"thk":..,"m":..,"fixedRho":false,"fixedThk":false,"fixedM":false,
//               "rhoRange":[lo,hi],"thkRange":[lo,hi]},...],
//    "rmsPercent":..,"layerCount":K or "auto","layersChosen":K,"segmentReference":"first"|"last",
//    "segments":[{"mn2":..,"points":..,"factor":..,"reference":true},...],"masked":[I,...]}
// rho in ohm-m, thk in m (0 for the half-space), m in percent; a range side the data do not bound is null,
// a value without a range has no range key. layersChosen only with "auto"; segmentReference and segments only
// with segment factors; masked only when points were left out. Numbers are written and read
// locale-independently. None of these functions throws; failures come back as error text for the user.
// Why a model file was refused, for a message in the user's language beside the English `error`.
enum class ModelFileError {
    None,
    Unreadable,         // the file could not be read
    NotAModelFile,      // no JSON, another format, or far too large for a model
    UnsupportedVersion, // a version this program does not read
    OtherStation,       // a model of another station
    InvalidValue,       // a value missing, of the wrong type or out of range
    InconsistentFit,    // the record of the fit (layer count, segment factors, masks) contradicts itself
    OutsideDomain,      // a model the forward modelling does not compute to its accuracy
};

struct ModelFileResult {
    LayeredModel model;
    double rmsPercent = -1.0; // -1 when the file holds none
    ModelFileContent content;
    std::string error;
    ModelFileError kind = ModelFileError::None;
    std::optional<DomainReason> outside; // with OutsideDomain: what lies outside

    bool ok() const { return error.empty(); }
};

// The file's text. A non-finite or negative rmsPercent is left out.
std::string formatModelFile(int station, const LayeredModel& model, double rmsPercent,
                            const ModelFileContent& content = {});

// Reads a model of `station` from the text: a malformed text, another format or version, a missing,
// non-finite or out-of-range value, a model outside the modelling domain (ForwardDomain.h) or another
// station number give an error.
ModelFileResult parseModelFile(std::string_view text, int station);

// The station of a text that reads as a sound model file of that station, or nothing.
std::optional<int> modelFileStation(std::string_view text);

// Writes the file; returns the error text, empty on success. An invalid model, or one outside the modelling
// domain, is not written.
std::string saveModelFile(const std::filesystem::path& path, int station, const LayeredModel& model,
                          double rmsPercent, const ModelFileContent& content = {});
ModelFileResult loadModelFile(const std::filesystem::path& path, int station);

} // namespace model
