#include "model/LineModelFile.h"

#include <cmath>
#include <utility>

#include "model/ModelFileJson.h"

namespace model {

namespace {

constexpr std::string_view kFormat = "vesplot-line-models";
constexpr int kVersion = 1;

} // namespace

std::string formatLineModelFile(const std::vector<LineModelEntry>& entries) {
    std::string out = "{\"format\":\"" + std::string(kFormat) + "\",\"version\":" + std::to_string(kVersion) +
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

LineModelFileResult parseLineModelFile(std::string_view text) try {
    LineModelFileResult result;
    auto failed = [&](ModelFileError kind, std::string error) {
        result.stations.clear();
        result.kind = kind;
        result.error = std::move(error);
        return result;
    };
    nlohmann::json root;
    std::string error;
    if (!parseModelJson(text, root, error))
        return failed(ModelFileError::NotAModelFile, error);
    const nlohmann::json* format = memberOf(root, "format");
    const nlohmann::json* version = memberOf(root, "version");
    const nlohmann::json* stations = memberOf(root, "stations");
    if (!format || !format->is_string() || format->get_ref<const std::string&>() != kFormat)
        return failed(ModelFileError::NotAModelFile, "not a vesplot line model file");
    if (!version || !version->is_number() || version->get<double>() != kVersion)
        return failed(ModelFileError::UnsupportedVersion, "not a vesplot line model file");
    if (!stations || !stations->is_array())
        return failed(ModelFileError::NotAModelFile, "not a vesplot line model file");
    for (std::size_t i = 0; i < stations->size(); ++i) {
        const nlohmann::json& object = (*stations)[i];
        result.entry = i + 1;
        const nlohmann::json* number = memberOf(object, "station");
        if (!number || !number->is_number() || !(std::fabs(number->get<double>()) < 1e9))
            return failed(ModelFileError::InvalidValue,
                          "entry " + std::to_string(i + 1) + ": no station number");
        const int station = static_cast<int>(number->get<double>());
        result.station = station;
        ModelFileResult read = readModelObject(object, station);
        if (!read.ok()) {
            result.outside = std::move(read.outside);
            return failed(read.kind, "entry " + std::to_string(i + 1) + " (station " +
                                         std::to_string(station) + "): " + read.error);
        }
        result.stations.push_back({station, std::move(read.model), read.rmsPercent, std::move(read.content)});
    }
    result.entry = 0;
    result.station = 0;
    return result;
} catch (...) { // only running out of memory
    LineModelFileResult result;
    result.kind = ModelFileError::NotAModelFile;
    result.error = "out of memory";
    return result;
}

} // namespace model
