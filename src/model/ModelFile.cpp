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
#include "model/JsonValue.h"

namespace model {

namespace {

constexpr std::string_view kFormat = "vesplot-model";
constexpr int kVersion = 2; // written; version 1 (layers only) is read as well
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

namespace {

// A whole number from 0 to `highest`, or nothing.
std::optional<std::size_t> wholeNumber(const JsonValue& v, double highest) {
    if (v.type() != JsonValue::Type::Number || !(v.number() >= 0.0 && v.number() <= highest) ||
        v.number() != std::floor(v.number()))
        return std::nullopt;
    return static_cast<std::size_t>(v.number());
}

// A range [low, high] of positive numbers, a side null when open; false for anything else.
bool readRange(const JsonValue& v, ValueRange& range) {
    if (v.type() != JsonValue::Type::Array || v.array().size() != 2)
        return false;
    std::optional<double>* sides[] = {&range.low, &range.high};
    for (std::size_t i = 0; i < 2; ++i) {
        const JsonValue& side = v.array()[i];
        if (side.type() == JsonValue::Type::Null)
            continue;
        if (side.type() != JsonValue::Type::Number || !(side.number() > 0.0) || !std::isfinite(side.number()))
            return false;
        *sides[i] = side.number();
    }
    return !(range.low && range.high && *range.low > *range.high);
}

// The fit's record of a version 2 file; an error text, empty when it is sound.
std::string readContent(const JsonValue& root, std::size_t layers, ModelFileContent& content) {
    if (const JsonValue* count = root.find("layerCount")) {
        if (count->type() == JsonValue::Type::String && count->string() == "auto") {
            const JsonValue* chosen = root.find("layersChosen");
            if (!chosen || wholeNumber(*chosen, 1e9) != layers)
                return "The model file's chosen number of layers is not the number of its layers.";
            content.autoLayers = true;
        } else if (wholeNumber(*count, 1e9) != layers) {
            return "The model file's number of layers is neither \"auto\" nor the number of its layers.";
        }
    }
    const JsonValue* reference = root.find("segmentReference");
    const JsonValue* segments = root.find("segments");
    if (!reference != !segments)
        return "The model file has segment factors without their reference, or the reverse.";
    if (reference) {
        if (reference->type() != JsonValue::Type::String ||
            (reference->string() != "first" && reference->string() != "last"))
            return "The model file's segment reference is neither \"first\" nor \"last\".";
        content.segmentReference =
            reference->string() == "first" ? SegmentReference::SmallestMn2 : SegmentReference::LargestMn2;
        if (segments->type() != JsonValue::Type::Array || segments->array().empty())
            return "The model file's segments are no list.";
        const std::size_t count = segments->array().size();
        for (std::size_t s = 0; s < count; ++s) {
            const JsonValue& entry = segments->array()[s];
            const std::string which = "The model file's segment " + std::to_string(s + 1);
            const JsonValue* mn2 = entry.type() == JsonValue::Type::Object ? entry.find("mn2") : nullptr;
            const JsonValue* points = mn2 ? entry.find("points") : nullptr;
            const JsonValue* factor = mn2 ? entry.find("factor") : nullptr;
            const JsonValue* isReference = mn2 ? entry.find("reference") : nullptr;
            SegmentFactor segment;
            if (!mn2 || mn2->type() != JsonValue::Type::Number || !(mn2->number() >= 0.0) ||
                !std::isfinite(mn2->number()))
                return which + " has no MN/2.";
            segment.mn2 = mn2->number();
            if (!content.segments.empty() && !(segment.mn2 > content.segments.back().mn2))
                return which + " does not follow in increasing MN/2.";
            const std::optional<std::size_t> pointCount = points ? wholeNumber(*points, 1e9) : std::nullopt;
            if (!pointCount || *pointCount == 0)
                return which + " has no number of points.";
            segment.points = static_cast<int>(*pointCount);
            if (!factor || factor->type() != JsonValue::Type::Number || !(factor->number() > 0.0) ||
                !std::isfinite(factor->number()))
                return which + " has no positive factor.";
            segment.factor = factor->number();
            if (!isReference || isReference->type() != JsonValue::Type::Bool)
                return which + " does not say whether it is the reference.";
            segment.reference = isReference->boolean();
            // The reference is the segment of the smallest (first) or largest (last) MN/2, its factor 1.
            const bool expected =
                content.segmentReference == SegmentReference::SmallestMn2 ? s == 0 : s + 1 == count;
            if (segment.reference != expected || (segment.reference && segment.factor != 1.0))
                return which + " disagrees with the segment reference.";
            content.segments.push_back(segment);
        }
    }
    if (const JsonValue* masked = root.find("masked")) {
        if (masked->type() != JsonValue::Type::Array)
            return "The model file's masked points are no list.";
        for (const JsonValue& entry : masked->array()) {
            const std::optional<std::size_t> position = wholeNumber(entry, 2147483647.0);
            if (!position)
                return "The model file's masked points are not point indices (0, 1, ...).";
            content.masked.push_back(*position);
        }
        std::sort(content.masked.begin(), content.masked.end());
        content.masked.erase(std::unique(content.masked.begin(), content.masked.end()), content.masked.end());
    }
    return {};
}

} // namespace

ModelFileResult parseModelFile(std::string_view text, int station) try {
    ModelFileResult result;
    // Editors on Windows often start a UTF-8 file with a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    auto failed = [&](std::string error) {
        result.model = {};
        result.rmsPercent = -1.0;
        result.content = {};
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
    if (!version || version->type() != JsonValue::Type::Number ||
        (version->number() != 1 && version->number() != kVersion))
        return failed("Unsupported model file version (this program reads versions 1 and 2).");
    const bool withContent = version->number() == kVersion;
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
        if (withContent) {
            const std::pair<const char*, std::optional<ValueRange>*> ranges[] = {
                {"rhoRange", &layer.rhoRange}, {"thkRange", &layer.thkRange}};
            for (const auto& [key, range] : ranges) {
                const JsonValue* v = entry.find(key);
                if (!v)
                    continue;
                ValueRange read;
                if (!readRange(*v, read) || (last && range == &layer.thkRange))
                    return failed("The model file's " + which + " has a " + key +
                                  " that is not [low, high] of positive numbers or null.");
                *range = read;
            }
        }
        if (last)
            layer.thk = 0.0;
        result.model.layers.push_back(layer);
    }
    if (const JsonValue* rms = root.find("rmsPercent")) {
        if (rms->type() != JsonValue::Type::Number || !(rms->number() >= 0.0))
            return failed("The model file's misfit is not a non-negative number.");
        result.rmsPercent = rms->number();
    }
    // Values the forward modelling does not compute to its accuracy are no model to draw or to start from.
    if (const std::string outside = modelOutsideDomain(result.model); !outside.empty())
        return failed("The model file's model lies outside what the program computes: " + outside + ".");
    if (withContent) {
        if (std::string error = readContent(root, count, result.content); !error.empty())
            return failed(std::move(error));
    }
    return result;
} catch (...) { // only running out of memory
    ModelFileResult result;
    result.error = "Not a model file (out of memory).";
    return result;
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
