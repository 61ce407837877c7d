#include "CommandLine.h"

#include "core/Conversions.h"
#include "model/LayerLimits.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace {

// The options export adds to the reader's.
std::vector<OptionTable::Option> exportOptions(CommandLine& line) {
    using Argument = OptionTable::Argument;
    const auto params = [&line](const std::string& list) {
        line.params.clear();
        for (const std::string& name : splitList(list)) {
            const std::optional<Quantity> quantity = quantityNamed(name);
            if (!quantity)
                throw UsageError{"unknown parameter '" + name + "' (use " + quantityNameList() + ")"};
            line.params.push_back(*quantity);
        }
    };
    const auto symbols = [&line](const std::string& list) {
        line.symbols.clear();
        for (const std::string& number : splitList(list))
            line.symbols.push_back(parseCount("--symbols", number, kMinSymbol, kMaxSymbol));
        if (line.symbols.size() != quantityCount)
            throw UsageError{"--symbols expects six numbers (res,m1,r,td,th,zp)"};
    };
    return {OptionTable::text({"-o", "--output"}, line.output),
            {{"--params"}, Argument::Required, params},
            {{"--symbols"}, Argument::Required, symbols},
            OptionTable::flag("--all", line.all),
            OptionTable::count("--dpi", line.dpi, kMinOutputDpi, kMaxOutputDpi),
            OptionTable::count("--invert", line.invertLayers, model::kMinLayers, model::kMaxLayers),
            OptionTable::flag("--smooth", line.smooth)};
}

} // namespace

std::string quantityNameList() {
    std::string list;
    for (Quantity quantity : allQuantities)
        list += (list.empty() ? "" : ", ") + std::string(commandName(quantity));
    return list;
}

std::vector<OptionTable::Option> readerOptions(CommandLine& line) {
    const auto station = [&line](const std::string& text) {
        line.station = parseCount("--station", text, 0, std::numeric_limits<int>::max());
        line.stationGiven = true;
    };
    return {OptionTable::choice("--kind", line.kind, {"dat", "ves"}),
            {{"--station"}, OptionTable::Argument::Required, station}};
}

OptionTable::Option lateralOption(bool& lateral, std::optional<double>& weight, const std::string& verb) {
    const auto take = [&lateral, &weight, verb](const std::string& text) {
        lateral = true;
        if (text.empty())
            return;
        double value = 0;
        if (!tryParseFloat(text, value) || !(std::isfinite(value) && value > 0))
            throw UsageError{"--lateral " + verb + " a positive weight, not " + quoted(text)};
        weight = value;
    };
    const auto readsAsNumber = [](const std::string& word) {
        double value = 0;
        return tryParseFloat(word, value);
    };
    return {{"--lateral"}, OptionTable::Argument::Optional, take, readsAsNumber};
}

std::string requireFile(const std::optional<std::string>& file) {
    if (!file)
        throw UsageError{"no data file given"};
    return *file;
}

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
    std::vector<OptionTable::Option> options = readerOptions(line);
    if (withExportOptions) {
        for (OptionTable::Option& option : exportOptions(line))
            options.push_back(std::move(option));
    }
    std::optional<std::string> file;
    OptionTable(std::move(options), OptionTable::oneFile(file)).parse(words);
    line.file = requireFile(file);
    if (withExportOptions && line.output.empty())
        throw UsageError{"no output file given (-o OUT)"};
    if (line.all && line.stationGiven)
        throw UsageError{"--station and --all exclude each other"};
    if (line.invertLayers > 0 && line.smooth)
        throw UsageError{"--invert and --smooth exclude each other"};
    return line;
}
