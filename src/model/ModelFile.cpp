#include "model/ModelFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <utility>

#include "model/ForwardDomain.h"
#include "model/ModelFileJson.h"

namespace model {

namespace {

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

void appendRange(std::string& out, const char* key, const std::optional<ValueRange>& range) {
    if (!range)
        return;
    out += std::string(",\"") + key + "\":[";
    for (const std::optional<double>* side : {&range->low, &range->high}) {
        if (side != &range->low)
            out += ',';
        if (*side && std::isfinite(**side))
            appendNumber(out, **side);
        else
            out += "null";
    }
    out += ']';
}

} // namespace

bool ModelFileContent::operator==(const ModelFileContent& other) const {
    auto same = [](const SegmentFactor& a, const SegmentFactor& b) {
        return a.mn2 == b.mn2 && a.points == b.points && a.factor == b.factor && a.reference == b.reference;
    };
    return autoLayers == other.autoLayers && segmentReference == other.segmentReference &&
           masked == other.masked &&
           std::equal(segments.begin(), segments.end(), other.segments.begin(), other.segments.end(), same);
}

ModelFileContent modelFileContentOf(const BlockFitOptions& options, const FitReport& report) {
    ModelFileContent content;
    content.autoLayers = options.autoLayers;
    if (!report.segments.empty()) {
        content.segmentReference = options.segments;
        content.segments = report.segments;
    }
    content.masked = report.masked;
    return content;
}

std::string formatModelFile(int station, const LayeredModel& model, double rmsPercent,
                            const ModelFileContent& content) {
    std::string out = "{\"format\":\"vesplot-model\",\"version\":2,\"station\":";
    out += std::to_string(station);
    out += ",\"layers\":[";
    for (std::size_t k = 0; k < model.size(); ++k) {
        const Layer& layer = model.layers[k];
        const bool halfSpace = k + 1 == model.size();
        out += k == 0 ? "\n  {\"rho\":" : ",\n  {\"rho\":";
        appendNumber(out, layer.rho);
        out += ",\"thk\":";
        appendNumber(out, halfSpace ? 0.0 : layer.thk);
        out += ",\"m\":";
        appendNumber(out, layer.m);
        out += std::string(",\"fixedRho\":") + boolText(layer.fixedRho) +
               ",\"fixedThk\":" + boolText(layer.fixedThk) + ",\"fixedM\":" + boolText(layer.fixedM);
        appendRange(out, "rhoRange", layer.rhoRange);
        if (!halfSpace)
            appendRange(out, "thkRange", layer.thkRange);
        out += "}";
    }
    out += "]";
    if (std::isfinite(rmsPercent) && rmsPercent >= 0.0) {
        out += ",\"rmsPercent\":";
        appendNumber(out, rmsPercent);
    }
    if (content.autoLayers)
        out += ",\n\"layerCount\":\"auto\",\"layersChosen\":" + std::to_string(model.size());
    else
        out += ",\n\"layerCount\":" + std::to_string(model.size());
    if (content.segmentReference != SegmentReference::None) {
        out += std::string(",\n\"segmentReference\":\"") +
               (content.segmentReference == SegmentReference::LargestMn2 ? "last" : "first") +
               "\",\"segments\":[";
        for (std::size_t s = 0; s < content.segments.size(); ++s) {
            const SegmentFactor& segment = content.segments[s];
            out += s == 0 ? "\n  {\"mn2\":" : ",\n  {\"mn2\":";
            appendNumber(out, segment.mn2);
            out += ",\"points\":" + std::to_string(segment.points) + ",\"factor\":";
            appendNumber(out, segment.factor);
            out += std::string(",\"reference\":") + boolText(segment.reference) + "}";
        }
        out += "]";
    }
    if (!content.masked.empty()) {
        out += ",\n\"masked\":[";
        for (std::size_t i = 0; i < content.masked.size(); ++i) {
            if (i > 0)
                out += ',';
            out += std::to_string(content.masked[i]);
        }
        out += "]";
    }
    out += "}\n";
    return out;
}

ModelFileResult parseModelFile(std::string_view text, int station) try {
    nlohmann::json root;
    std::string jsonError;
    if (!parseModelJson(text, root, jsonError)) {
        ModelFileResult result;
        result.error = "Not a model file (" + jsonError + ").";
        result.kind = ModelFileError::NotAModelFile;
        return result;
    }
    return readModelObject(root, station);
} catch (...) { // only running out of memory
    ModelFileResult result;
    result.error = "Not a model file (out of memory).";
    result.kind = ModelFileError::NotAModelFile;
    return result;
}

std::optional<int> modelFileStation(std::string_view text) try {
    nlohmann::json root;
    std::string ignored;
    if (!parseModelJson(text, root, ignored))
        return std::nullopt;
    const nlohmann::json* number = memberOf(root, "station");
    if (!number || !number->is_number() || !(std::abs(number->get<double>()) < 1e9))
        return std::nullopt;
    const int station = static_cast<int>(number->get<double>());
    if (!readModelObject(root, station).ok())
        return std::nullopt;
    return station;
} catch (...) {
    return std::nullopt;
}

std::string saveModelFile(const std::filesystem::path& path, int station, const LayeredModel& model,
                          double rmsPercent, const ModelFileContent& content) try {
    if (!model.isValid())
        return "The model is not valid and was not saved.";
    if (const std::string outside = modelOutsideDomain(model); !outside.empty())
        return "The model lies outside what the program computes (" + outside + ") and was not saved.";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return "Cannot write " + shown(path) + ".";
    const std::string text = formatModelFile(station, model, rmsPercent, content);
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
        result.kind = ModelFileError::Unreadable;
        return result;
    }
    if (size > kMaxFileSize) {
        result.error = "Not a model file (too large): " + shown(path) + ".";
        result.kind = ModelFileError::NotAModelFile;
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = "Cannot read " + shown(path) + ".";
        result.kind = ModelFileError::Unreadable;
        return result;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseModelFile(text, station);
} catch (...) {
    ModelFileResult result;
    result.error = "Cannot read " + shown(path) + ".";
    result.kind = ModelFileError::Unreadable;
    return result;
}

} // namespace model
