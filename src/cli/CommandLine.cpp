#include "CommandLine.h"

#include "core/Conversions.h"
#include "model/LayerLimits.h"

#include <algorithm>
#include <cctype>

namespace {

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    for (char c : text) {
        if (c == ',') {
            items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    items.push_back(item);
    return items;
}

int parseCount(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    if (!tryParseInt(text, value) || value < low || value > high)
        throw UsageError{option + " expects a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'"};
    return value;
}

} // namespace

std::string kindFromFileName(const std::string& fileName) {
    if (fileName.size() < 4)
        return "dat";
    std::string extension = fileName.substr(fileName.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".ves" ? "ves" : "dat";
}

std::string fileKindName(const CommandLine& line) {
    return line.kind.value_or(kindFromFileName(line.file));
}

DataFileKind dataFileKind(const CommandLine& line) {
    return fileKindName(line) == "ves" ? DataFileKind::Tagged : DataFileKind::Column;
}

CommandLine parseCommandLine(const std::vector<std::string>& words, bool withExportOptions) {
    CommandLine line;
    bool haveFile = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        auto argument = [&]() -> const std::string& {
            if (i + 1 >= words.size())
                throw UsageError{word + " needs a value"};
            return words[++i];
        };
        if (word == "--kind") {
            const std::string& kind = argument();
            if (kind != "dat" && kind != "ves")
                throw UsageError{"--kind must be dat or ves, not '" + kind + "'"};
            line.kind = kind;
        } else if (word == "--station") {
            line.station = parseCount(word, argument(), 0, 2147483647);
            line.stationGiven = true;
        } else if (withExportOptions && (word == "-o" || word == "--output")) {
            line.output = argument();
        } else if (withExportOptions && word == "--params") {
            line.params.clear();
            for (const std::string& name : splitList(argument())) {
                const std::optional<Quantity> quantity = quantityNamed(name);
                if (!quantity)
                    throw UsageError{"unknown parameter '" + name + "' (use res, m1, r, td, th, zp)"};
                line.params.push_back(*quantity);
            }
        } else if (withExportOptions && word == "--symbols") {
            line.symbols.clear();
            for (const std::string& number : splitList(argument()))
                line.symbols.push_back(parseCount("--symbols", number, 0, 12));
            if (line.symbols.size() != 6)
                throw UsageError{"--symbols expects six numbers (res,m1,r,td,th,zp)"};
        } else if (withExportOptions && word == "--all") {
            line.all = true;
        } else if (withExportOptions && word == "--dpi") {
            line.dpi = parseCount(word, argument(), 10, 2400);
        } else if (withExportOptions && word == "--invert") {
            line.invertLayers = parseCount(word, argument(), model::kMinLayers, model::kMaxLayers);
        } else if (withExportOptions && word == "--smooth") {
            line.smooth = true;
        } else if (!word.empty() && word[0] == '-' && word != "-") {
            throw UsageError{"unknown option '" + word + "'"};
        } else if (!haveFile) {
            line.file = word;
            haveFile = true;
        } else {
            throw UsageError{"more than one file given ('" + word + "')"};
        }
    }
    if (!haveFile)
        throw UsageError{"no data file given"};
    if (withExportOptions && line.output.empty())
        throw UsageError{"no output file given (-o OUT)"};
    if (line.all && line.stationGiven)
        throw UsageError{"--station and --all exclude each other"};
    if (line.invertLayers > 0 && line.smooth)
        throw UsageError{"--invert and --smooth exclude each other"};
    return line;
}
