#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "model/ModelFile.h"

namespace model {

// The JSON text of a model file read whole: strict syntax (RFC 8259), every number held as a double, a
// repeated key refused, and nesting no deeper than a model file's, so that no input can exhaust the stack
// of whoever walks the value. On failure returns false and sets `error`. Internal to the model files.
bool parseModelJson(std::string_view text, nlohmann::json& out, std::string& error);

// The model of `station` in a model file's object (one station's file, or an entry of a line's).
ModelFileResult readModelObject(const nlohmann::json& root, int station);

// A member of an object, or nullptr (also when `object` is no object).
const nlohmann::json* memberOf(const nlohmann::json& object, const char* key);

} // namespace model
