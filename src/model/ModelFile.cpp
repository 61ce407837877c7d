#include "model/ModelFile.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "model/JsonValue.h"

namespace model {

namespace {

constexpr std::string_view kFormat = "vesplot-model";
constexpr int kVersion = 1;
constexpr std::size_t kMaxLayers = 1000;
// Larger files are not model files; refusing them keeps a wrong choice of file cheap.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

void appendNumber(std::string& out, double v) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, ec == std::errc() ? end : buffer);
}

const char* boolText(bool b) {
    return b ? "true" : "false";
}

// The path for a message; converting a path can throw on some systems, which must not leave the API.
std::string shown(const std::filesystem::path& path) {
    try {
        return path.string();
    } catch (...) {
        return "the file";
    }
}

} // namespace

std::string formatModelFile(int station, const LayeredModel& model, double rmsPercent) {
    std::string out = "{\"format\":\"vesplot-model\",\"version\":1,\"station\":";
    out += std::to_string(station);
    out += ",\"layers\":[";
    for (std::size_t k = 0; k < model.size(); ++k) {
        const Layer& layer = model.layers[k];
        out += k == 0 ? "\n  {\"rho\":" : ",\n  {\"rho\":";
        appendNumber(out, layer.rho);
        out += ",\"thk\":";
        appendNumber(out, k + 1 < model.size() ? layer.thk : 0.0);
        out += ",\"m\":";
        appendNumber(out, layer.m);
        out += std::string(",\"fixedRho\":") + boolText(layer.fixedRho) +
               ",\"fixedThk\":" + boolText(layer.fixedThk) + ",\"fixedM\":" + boolText(layer.fixedM) + "}";
    }
    out += "]";
    if (std::isfinite(rmsPercent) && rmsPercent >= 0.0) {
        out += ",\"rmsPercent\":";
        appendNumber(out, rmsPercent);
    }
    out += "}\n";
    return out;
}

ModelFileResult parseModelFile(std::string_view text, int station) try {
    ModelFileResult result;
    auto failed = [&](std::string error) {
        result.model = {};
        result.rmsPercent = -1.0;
        result.error = std::move(error);
        return result;
    };
    JsonValue root;
    std::string jsonError;
    if (!JsonValue::parse(text, root, jsonError))
        return failed("Not a model file (" + jsonError + ").");
    if (root.type() != JsonValue::Type::Object)
        return failed("Not a model file (no JSON object).");
    const JsonValue* format = root.find("format");
    if (!format || format->type() != JsonValue::Type::String || format->string() != kFormat)
        return failed("Not a model file (format is not \"vesplot-model\").");
    const JsonValue* version = root.find("version");
    if (!version || version->type() != JsonValue::Type::Number || version->number() != kVersion)
        return failed("Unsupported model file version (this program reads version 1).");
    const JsonValue* number = root.find("station");
    if (!number || number->type() != JsonValue::Type::Number ||
        number->number() != std::floor(number->number()) || std::abs(number->number()) > 2e9)
        return failed("The model file has no station number.");
    if (number->number() != static_cast<double>(station))
        return failed("The model file is for station " +
                      std::to_string(static_cast<long long>(number->number())) + ", not station " +
                      std::to_string(station) + ".");
    const JsonValue* layers = root.find("layers");
    if (!layers || layers->type() != JsonValue::Type::Array || layers->array().empty())
        return failed("The model file has no layers.");
    if (layers->array().size() > kMaxLayers)
        return failed("The model file has too many layers.");
    const std::size_t count = layers->array().size();
    for (std::size_t k = 0; k < count; ++k) {
        const JsonValue& entry = layers->array()[k];
        const std::string which = "layer " + std::to_string(k + 1);
        if (entry.type() != JsonValue::Type::Object)
            return failed("The model file's " + which + " is not an object.");
        Layer layer;
        auto readNumber = [&](const char* key, double& out, bool required) {
            const JsonValue* v = entry.find(key);
            if (!v)
                return !required;
            if (v->type() != JsonValue::Type::Number)
                return false;
            out = v->number();
            return true;
        };
        auto readBool = [&](const char* key, bool& out) {
            const JsonValue* v = entry.find(key);
            if (!v)
                return true;
            if (v->type() != JsonValue::Type::Bool)
                return false;
            out = v->boolean();
            return true;
        };
        const bool last = k + 1 == count;
        if (!readNumber("rho", layer.rho, true) || !(layer.rho > 0.0))
            return failed("The model file's " + which + " has no positive resistivity.");
        if (!readNumber("thk", layer.thk, !last) || (!last && !(layer.thk > 0.0)) || layer.thk < 0.0)
            return failed("The model file's " + which + " has no positive thickness.");
        if (!readNumber("m", layer.m, false) || !(layer.m >= 0.0 && layer.m < 100.0))
            return failed("The model file's " + which + " has a chargeability outside 0 to 100 %.");
        if (!readBool("fixedRho", layer.fixedRho) || !readBool("fixedThk", layer.fixedThk) ||
            !readBool("fixedM", layer.fixedM))
            return failed("The model file's " + which + " has a fixed flag that is not true or false.");
        if (last)
            layer.thk = 0.0;
        result.model.layers.push_back(layer);
    }
    if (const JsonValue* rms = root.find("rmsPercent")) {
        if (rms->type() != JsonValue::Type::Number || !(rms->number() >= 0.0))
            return failed("The model file's misfit is not a non-negative number.");
        result.rmsPercent = rms->number();
    }
    return result;
} catch (...) { // only running out of memory
    ModelFileResult result;
    result.error = "Not a model file (out of memory).";
    return result;
}

std::string saveModelFile(const std::filesystem::path& path, int station, const LayeredModel& model,
                          double rmsPercent) try {
    if (!model.isValid())
        return "The model is not valid and was not saved.";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return "Cannot write " + shown(path) + ".";
    const std::string text = formatModelFile(station, model, rmsPercent);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return out ? std::string() : "Cannot write " + shown(path) + ".";
} catch (...) {
    return "Cannot write " + shown(path) + ".";
}

ModelFileResult loadModelFile(const std::filesystem::path& path, int station) try {
    ModelFileResult result;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        result.error = "Cannot read " + shown(path) + ".";
        return result;
    }
    if (size > kMaxFileSize) {
        result.error = "Not a model file (too large): " + shown(path) + ".";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = "Cannot read " + shown(path) + ".";
        return result;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseModelFile(text, station);
} catch (...) {
    ModelFileResult result;
    result.error = "Cannot read " + shown(path) + ".";
    return result;
}

} // namespace model
