#include "model/ModelFileJson.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "model/ForwardDomain.h"

namespace model {

namespace {

using Json = nlohmann::json;

constexpr std::string_view kFormat = "vesplot-model";
constexpr int kVersion = 2; // written; version 1 (layers only) is read as well
constexpr std::size_t kMaxLayers = 1000;
// A model file nests five deep (a line's file six); far deeper text is no model file.
constexpr std::size_t kMaxDepth = 32;

// Builds the value from the parser's events, refusing what a model file never holds. The parser itself
// keeps its open arrays and objects on the heap; this limit bounds what the value's users walk.
class ValueBuilder {
public:
    explicit ValueBuilder(Json& root) : root_(root) {}

    bool null() { return put(nullptr); }
    bool boolean(bool value) { return put(value); }
    bool number_integer(Json::number_integer_t value) { return put(static_cast<double>(value)); }
    bool number_unsigned(Json::number_unsigned_t value) { return put(static_cast<double>(value)); }
    bool number_float(Json::number_float_t value, const Json::string_t&) {
        return std::isfinite(value) ? put(value) : fail("number out of range");
    }
    bool string(Json::string_t& value) { return put(std::move(value)); }
    bool binary(Json::binary_t&) { return fail("binary value"); }
    bool start_object(std::size_t) { return open(Json::object()); }
    bool key(Json::string_t& key) {
        if (open_.back()->contains(key))
            return fail("repeated key");
        key_ = std::move(key);
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(Json::array()); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
        return fail("malformed JSON", position);
    }

    const std::string& error() const { return error_; }

private:
    bool fail(const char* what, std::size_t position = 0) {
        if (error_.empty())
            error_ = position > 0 ? std::string(what) + " at byte " + std::to_string(position - 1) : what;
        return false;
    }
    // The new value's place: the root, the next element of the open array or the member just named.
    Json* place(Json value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        Json& member = parent[key_];
        member = std::move(value);
        return &member;
    }
    bool put(Json value) {
        place(std::move(value));
        return true;
    }
    bool open(Json container) {
        if (open_.size() >= kMaxDepth)
            return fail("nesting too deep");
        open_.push_back(place(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    Json& root_;
    std::vector<Json*> open_; // the arrays and objects being filled, outermost first
    std::string key_;
    std::string error_;
};

double numberOf(const Json& v) {
    return v.get<double>();
}

// A whole number from 0 to `highest`, or nothing.
std::optional<std::size_t> wholeNumber(const Json& v, double highest) {
    if (!v.is_number() || !(numberOf(v) >= 0.0 && numberOf(v) <= highest) ||
        numberOf(v) != std::floor(numberOf(v)))
        return std::nullopt;
    return static_cast<std::size_t>(numberOf(v));
}

bool positiveNumber(const Json* v) {
    return v && v->is_number() && numberOf(*v) > 0.0 && std::isfinite(numberOf(*v));
}

// A range [low, high] of positive numbers, a side null when open; false for anything else.
bool readRange(const Json& v, ValueRange& range) {
    if (!v.is_array() || v.size() != 2)
        return false;
    std::optional<double>* sides[] = {&range.low, &range.high};
    for (std::size_t i = 0; i < 2; ++i) {
        const Json& side = v[i];
        if (side.is_null())
            continue;
        if (!positiveNumber(&side))
            return false;
        *sides[i] = numberOf(side);
    }
    return !(range.low && range.high && *range.low > *range.high);
}

// One segment factor of a file whose reference is `reference`; an error text, empty when it is sound.
std::string readSegment(const Json& entry, std::size_t s, std::size_t count, SegmentReference reference,
                        std::vector<SegmentFactor>& segments) {
    const std::string which = "The model file's segment " + std::to_string(s + 1);
    const Json* mn2 = memberOf(entry, "mn2");
    const Json* points = mn2 ? memberOf(entry, "points") : nullptr;
    const Json* factor = mn2 ? memberOf(entry, "factor") : nullptr;
    const Json* isReference = mn2 ? memberOf(entry, "reference") : nullptr;
    SegmentFactor segment;
    if (!mn2 || !mn2->is_number() || !(numberOf(*mn2) >= 0.0) || !std::isfinite(numberOf(*mn2)))
        return which + " has no MN/2.";
    segment.mn2 = numberOf(*mn2);
    if (!segments.empty() && !(segment.mn2 > segments.back().mn2))
        return which + " does not follow in increasing MN/2.";
    const std::optional<std::size_t> pointCount = points ? wholeNumber(*points, 1e9) : std::nullopt;
    if (!pointCount || *pointCount == 0)
        return which + " has no number of points.";
    segment.points = static_cast<int>(*pointCount);
    if (!positiveNumber(factor))
        return which + " has no positive factor.";
    segment.factor = numberOf(*factor);
    if (!isReference || !isReference->is_boolean())
        return which + " does not say whether it is the reference.";
    segment.reference = isReference->get<bool>();
    // The reference is the segment of the smallest (first) or largest (last) MN/2, its factor 1.
    const bool expected = reference == SegmentReference::SmallestMn2 ? s == 0 : s + 1 == count;
    if (segment.reference != expected || (segment.reference && segment.factor != 1.0))
        return which + " disagrees with the segment reference.";
    segments.push_back(segment);
    return {};
}

// The fit's record of a version 2 file; an error text, empty when it is sound.
std::string readContent(const Json& root, std::size_t layers, ModelFileContent& content) {
    if (const Json* count = memberOf(root, "layerCount")) {
        if (count->is_string() && count->get_ref<const std::string&>() == "auto") {
            const Json* chosen = memberOf(root, "layersChosen");
            if (!chosen || wholeNumber(*chosen, 1e9) != layers)
                return "The model file's chosen number of layers is not the number of its layers.";
            content.autoLayers = true;
        } else if (wholeNumber(*count, 1e9) != layers) {
            return "The model file's number of layers is neither \"auto\" nor the number of its layers.";
        }
    }
    const Json* reference = memberOf(root, "segmentReference");
    const Json* segments = memberOf(root, "segments");
    if (!reference != !segments)
        return "The model file has segment factors without their reference, or the reverse.";
    if (reference) {
        const std::string* name =
            reference->is_string() ? &reference->get_ref<const std::string&>() : nullptr;
        if (!name || (*name != "first" && *name != "last"))
            return "The model file's segment reference is neither \"first\" nor \"last\".";
        content.segmentReference =
            *name == "first" ? SegmentReference::SmallestMn2 : SegmentReference::LargestMn2;
        if (!segments->is_array() || segments->empty())
            return "The model file's segments are no list.";
        for (std::size_t s = 0; s < segments->size(); ++s)
            if (std::string error = readSegment((*segments)[s], s, segments->size(), content.segmentReference,
                                                content.segments);
                !error.empty())
                return error;
    }
    if (const Json* masked = memberOf(root, "masked")) {
        if (!masked->is_array())
            return "The model file's masked points are no list.";
        for (const Json& entry : *masked) {
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

// Layer `k` of `count` from its object; an error text, empty when it is sound.
std::string readLayer(const Json& entry, std::size_t k, std::size_t count, bool withRanges, Layer& layer) {
    const std::string which = "The model file's layer " + std::to_string(k + 1);
    if (!entry.is_object())
        return which + " is not an object.";
    auto readNumber = [&](const char* key, double& out, bool required) {
        const Json* v = memberOf(entry, key);
        if (!v)
            return !required;
        if (!v->is_number())
            return false;
        out = numberOf(*v);
        return true;
    };
    auto readBool = [&](const char* key, bool& out) {
        const Json* v = memberOf(entry, key);
        if (!v)
            return true;
        if (!v->is_boolean())
            return false;
        out = v->get<bool>();
        return true;
    };
    const bool last = k + 1 == count;
    if (!readNumber("rho", layer.rho, true) || !(layer.rho > 0.0))
        return which + " has no positive resistivity.";
    if (!readNumber("thk", layer.thk, !last) || (!last && !(layer.thk > 0.0)) || layer.thk < 0.0)
        return which + " has no positive thickness.";
    if (!readNumber("m", layer.m, false) || !(layer.m >= 0.0 && layer.m < 100.0))
        return which + " has a chargeability outside 0 to 100 %.";
    if (!readBool("fixedRho", layer.fixedRho) || !readBool("fixedThk", layer.fixedThk) ||
        !readBool("fixedM", layer.fixedM))
        return which + " has a fixed flag that is not true or false.";
    if (withRanges) {
        const std::pair<const char*, std::optional<ValueRange>*> ranges[] = {{"rhoRange", &layer.rhoRange},
                                                                             {"thkRange", &layer.thkRange}};
        for (const auto& [key, range] : ranges) {
            const Json* v = memberOf(entry, key);
            if (!v)
                continue;
            ValueRange read;
            if (!readRange(*v, read) || (last && range == &layer.thkRange))
                return which + " has a " + key + " that is not [low, high] of positive numbers or null.";
            *range = read;
        }
    }
    if (last)
        layer.thk = 0.0;
    return {};
}

} // namespace

bool parseModelJson(std::string_view text, Json& out, std::string& error) {
    out = Json();
    ValueBuilder builder(out);
    if (Json::sax_parse(text.begin(), text.end(), &builder))
        return true;
    out = Json();
    error = builder.error();
    return false;
}

const Json* memberOf(const Json& object, const char* key) {
    if (!object.is_object())
        return nullptr;
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

ModelFileResult readModelObject(const Json& root, int station) {
    ModelFileResult result;
    auto failed = [&](ModelFileError kind, std::string error) {
        result.model = {};
        result.rmsPercent = -1.0;
        result.content = {};
        result.error = std::move(error);
        result.kind = kind;
        return result;
    };
    if (!root.is_object())
        return failed(ModelFileError::NotAModelFile, "Not a model file (no JSON object).");
    const Json* format = memberOf(root, "format");
    if (!format || !format->is_string() || format->get_ref<const std::string&>() != kFormat)
        return failed(ModelFileError::NotAModelFile, "Not a model file (format is not \"vesplot-model\").");
    const Json* version = memberOf(root, "version");
    if (!version || !version->is_number() || (numberOf(*version) != 1 && numberOf(*version) != kVersion))
        return failed(ModelFileError::UnsupportedVersion,
                      "Unsupported model file version (this program reads versions 1 and 2).");
    const bool withContent = numberOf(*version) == kVersion;
    const Json* number = memberOf(root, "station");
    if (!number || !number->is_number() || numberOf(*number) != std::floor(numberOf(*number)) ||
        std::abs(numberOf(*number)) > 2e9)
        return failed(ModelFileError::InvalidValue, "The model file has no station number.");
    if (numberOf(*number) != static_cast<double>(station))
        return failed(ModelFileError::OtherStation,
                      "The model file is for station " +
                          std::to_string(static_cast<long long>(numberOf(*number))) + ", not station " +
                          std::to_string(station) + ".");
    const Json* layers = memberOf(root, "layers");
    if (!layers || !layers->is_array() || layers->empty())
        return failed(ModelFileError::InvalidValue, "The model file has no layers.");
    if (layers->size() > kMaxLayers)
        return failed(ModelFileError::InvalidValue, "The model file has too many layers.");
    const std::size_t count = layers->size();
    for (std::size_t k = 0; k < count; ++k) {
        Layer layer;
        if (std::string error = readLayer((*layers)[k], k, count, withContent, layer); !error.empty())
            return failed(ModelFileError::InvalidValue, std::move(error));
        result.model.layers.push_back(layer);
    }
    if (const Json* rms = memberOf(root, "rmsPercent")) {
        if (!rms->is_number() || !(numberOf(*rms) >= 0.0))
            return failed(ModelFileError::InvalidValue,
                          "The model file's misfit is not a non-negative number.");
        result.rmsPercent = numberOf(*rms);
    }
    // Values the forward modelling does not compute to its accuracy are no model to draw or to start from.
    if (std::optional<DomainReason> outside = modelReason(result.model)) {
        failed(ModelFileError::OutsideDomain,
               "The model file's model lies outside what the program computes: " + outside->english() + ".");
        result.outside = std::move(outside);
        return result;
    }
    if (withContent) {
        if (std::string error = readContent(root, count, result.content); !error.empty())
            return failed(ModelFileError::InconsistentFit, std::move(error));
    }
    return result;
}

} // namespace model
