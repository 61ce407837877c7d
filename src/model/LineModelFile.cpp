#include "model/LineModelFile.h"

#include <cmath>

#include "model/JsonValue.h"

namespace model {

namespace {

constexpr const char* kFormat = "vesplot-line-models";
constexpr int kVersion = 1;

// The texts of the elements of the top-level array that follows `"stations":`, as written; nothing
// when there is none. Strings are skipped whole, so that brackets inside them do not count.
bool stationTexts(std::string_view text, std::vector<std::string_view>& out) {
    const std::size_t key = text.find("\"stations\"");
    if (key == std::string_view::npos)
        return false;
    std::size_t i = text.find('[', key);
    if (i == std::string_view::npos)
        return false;
    int depth = 0;
    std::size_t start = std::string_view::npos;
    for (++i; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i)
                if (text[i] == '\\')
                    ++i;
            continue;
        }
        if (c == '{' || c == '[') {
            if (depth++ == 0)
                start = i;
        } else if (c == '}' || c == ']') {
            if (depth == 0)
                return true; // the array's end
            if (--depth == 0)
                out.push_back(text.substr(start, i + 1 - start));
        }
    }
    return false;
}

} // namespace

std::string formatLineModelFile(const std::vector<LineModelEntry>& entries) {
    std::string out = std::string("{\"format\":\"") + kFormat + "\",\"version\":" + std::to_string(kVersion) +
                      ",\"stations\":[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string object =
            formatModelFile(entries[i].station, entries[i].model, entries[i].rmsPercent, entries[i].content);
        while (!object.empty() && (object.back() == '\n' || object.back() == '\r'))
            object.pop_back();
        out += (i == 0 ? "\n" : ",\n") + object;
    }
    out += "]}\n";
    return out;
}

LineModelFileResult parseLineModelFile(std::string_view text) {
    LineModelFileResult result;
    JsonValue root;
    std::string error;
    if (!JsonValue::parse(text, root, error)) {
        result.error = error;
        return result;
    }
    const JsonValue* format = root.find("format");
    const JsonValue* version = root.find("version");
    const JsonValue* stations = root.find("stations");
    if (!format || format->type() != JsonValue::Type::String || format->string() != kFormat || !version ||
        version->type() != JsonValue::Type::Number || version->number() != kVersion || !stations ||
        stations->type() != JsonValue::Type::Array) {
        result.error = "not a vesplot line model file";
        return result;
    }
    std::vector<std::string_view> objects;
    if (!stationTexts(text, objects) || objects.size() != stations->array().size()) {
        result.error = "the stations array cannot be read";
        return result;
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const JsonValue* number = stations->array()[i].find("station");
        if (!number || number->type() != JsonValue::Type::Number || !(std::fabs(number->number()) < 1e9)) {
            result.error = "entry " + std::to_string(i + 1) + ": no station number";
            return result;
        }
        const int station = static_cast<int>(number->number());
        ModelFileResult read = parseModelFile(objects[i], station);
        if (!read.ok()) {
            result.error = "entry " + std::to_string(i + 1) + " (station " + std::to_string(station) +
                           "): " + read.error;
            return result;
        }
        result.stations.push_back({station, std::move(read.model), read.rmsPercent, std::move(read.content)});
    }
    return result;
}

} // namespace model
