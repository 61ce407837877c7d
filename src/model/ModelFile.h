#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "model/ForwardModel.h"

namespace model {

// A station's layered model as a small JSON file:
//   {"format":"vesplot-model","version":1,"station":N,
//    "layers":[{"rho":..,"thk":..,"m":..,"fixedRho":false,"fixedThk":false,"fixedM":false},...],
//    "rmsPercent":..}
// rho in ohm-m, thk in m (0 for the half-space), m in percent. Numbers are written and read
// locale-independently. None of these functions throws; failures come back as error text for the user.
struct ModelFileResult {
    LayeredModel model;
    double rmsPercent = -1.0; // -1 when the file holds none
    std::string error;

    bool ok() const { return error.empty(); }
};

// The file's text. A non-finite or negative rmsPercent is left out.
std::string formatModelFile(int station, const LayeredModel& model, double rmsPercent);

// Reads a model of `station` from the text: a malformed text, another format or version, a missing,
// non-finite or out-of-range value or another station number give an error.
ModelFileResult parseModelFile(std::string_view text, int station);

// Writes the file; returns the error text, empty on success. An invalid model is not written.
std::string saveModelFile(const std::filesystem::path& path, int station, const LayeredModel& model,
                          double rmsPercent);
ModelFileResult loadModelFile(const std::filesystem::path& path, int station);

} // namespace model
