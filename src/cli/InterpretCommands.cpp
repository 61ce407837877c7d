#include "InterpretCommands.h"

#include "cli/CommandGuard.h"
#include "cli/CommandLine.h"
#include "cli/JsonWriter.h"
#include "cli/MessageRecorder.h"
#include "cli/StandardOutput.h"
#include "core/ConversionError.h"
#include "core/Conversions.h"
#include "core/FilePath.h"
#include "model/BatchFit.h"
#include "model/BlockInversion.h"
#include "model/ForwardDomain.h"
#include "model/ForwardModel.h"
#include "model/LateralFit.h"
#include "model/LayerLimits.h"
#include "model/SmoothInversion.h"
#include "model/SoundingData.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"
#include "sheet/StationSounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>
#include <span>

namespace {

// A limit as the usage text shows it: 1e+09 -> "1e+09", 10 -> "10".
std::string limitText(double value) {
    char buffer[32];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string usageText() {
    using namespace model::domain;
    const std::string layers = std::to_string(model::kMinLayers) + " to " + std::to_string(model::kMaxLayers);
    const std::string autoLayers =
        std::to_string(model::kMinAutoLayers) + " to " + std::to_string(model::kMaxAutoLayers);
    return "usage: vesplot forward --rho R1,R2,...,Rn [--thk H1,...,H(n-1)] [--m M1,...,Mn] [--ab2 A1,...]"
           " [--mn2 B1,...]\n"
           "       vesplot invert FILE [--kind dat|ves] [--station INDEX | --all] [--layers K|auto | "
           "--smooth]\n"
           "                      [--fix NAME=VALUE,...] [--ideal] [--segments [first|last]] [--mask "
           "I,J,...]\n"
           "                      [--ranges] [--lateral [W]]\n"
           "  forward: " +
           layers + " layers; resistivities " + limitText(kMinResistivity) + " to " +
           limitText(kMaxResistivity) + " ohm-m, contrast at most " + limitText(kMaxContrast) +
           ", thicknesses " + limitText(kMinThickness) + " to " + limitText(kMaxThickness) + " m, AB/2 " +
           limitText(kMinSpacing) + " to " + limitText(kMaxSpacing) +
           " m\n"
           "  --layers K      a K-layer block model, K from " +
           layers + " (default 3); auto: " + autoLayers +
           " layers,\n"
           "                  the fewest that one more layer does not better significantly (F test)\n"
           "  --smooth        a many-layer smooth model (not with --layers, --segments, --ranges or --fix)\n"
           "  --fix           hold rho1..rhoK, thk1..thk(K-1) at a value; each name once\n"
           "  --segments      one static factor per MN/2 segment; the smallest MN/2 (first, the default) or\n"
           "                  the largest (last) keeps the factor 1\n"
           "  --mask I,J,...  leave out the station's points I, J, ... (0-based, as inspect lists them); "
           "with\n"
           "                  --all the mask applies to every station, and an index outside a station is "
           "that\n"
           "                  station's error\n"
           "  --ranges        the 95 % profile range of every free value, null for a side the data do not "
           "bound\n"
           "  --lateral [W]   with --all: one fit of all stations (the same K), neighbours' ln rho and ln "
           "depth\n"
           "                  tied with weight W, weaker with the distance of their station numbers; "
           "without\n"
           "                  W the largest of 0.03, 0.1, 0.3 ... 30 whose misfit stays within 10 % (sum of\n"
           "                  squares) of the stations fitted alone. Not with --smooth or --ranges\n"
           "  exit status: 0 success (--all: at least one station fitted), 1 a file that cannot be read or "
           "no\n"
           "               station fitted, 2 a wrong command line\n";
}

} // namespace

const std::string interpretUsage = usageText();

namespace {

// "--rho 10,20": the numbers of a comma list.
std::vector<double> numberList(const std::string& option, const std::string& text) {
    std::vector<double> numbers;
    for (const std::string& item : splitList(text)) {
        double value = 0;
        if (!tryParseFloat(item, value))
            throw UsageError{option + ": " + quoted(item) + " is no number"};
        numbers.push_back(value);
    }
    return numbers;
}

bool allPositive(const std::vector<double>& numbers) {
    for (double x : numbers) {
        if (!(std::isfinite(x) && x > 0))
            return false;
    }
    return true;
}

// What `vesplot forward` was asked for, after the command line was checked.
struct ForwardRequest {
    std::vector<double> rho, thk, m, ab2, mn2;
    bool withM = false, withMn = false;
    model::LayeredModel earth;
};

// A list of numbers given to `target`; `given` tells that the option was there.
OptionTable::Option numbersOption(const std::string& name, std::vector<double>& target,
                                  bool* given = nullptr) {
    return {{name}, OptionTable::Argument::Required, [name, &target, given](const std::string& text) {
                target = numberList(name, text);
                if (given != nullptr)
                    *given = true;
            }};
}

// The lists each on its own: positive resistivities and thicknesses, chargeabilities in [0, 100), MN/2
// inside AB/2. Without --ab2 the 19 spacings 10^(k/6) from 1 to 1000 m.
void checkForwardLists(ForwardRequest& request) {
    if (request.rho.empty() || !allPositive(request.rho))
        throw UsageError{"--rho needs positive, finite resistivities"};
    if (!allPositive(request.thk) || request.thk.size() + 1 != request.rho.size())
        throw UsageError{"--thk needs one positive, finite thickness fewer than --rho has resistivities"};
    if (request.withM) {
        if (request.m.size() != request.rho.size())
            throw UsageError{"--m needs one chargeability per layer"};
        for (double x : request.m) {
            if (!(x >= 0 && x < 100))
                throw UsageError{"--m: chargeabilities lie in [0, 100)"};
        }
    }
    if (request.ab2.empty()) {
        for (int k = 0; k <= 18; ++k)
            request.ab2.push_back(std::round(std::pow(10.0, k / 6.0) * 1e4) / 1e4);
    }
    if (!allPositive(request.ab2))
        throw UsageError{"--ab2 needs positive, finite AB/2 values"};
    if (request.withMn) {
        if (request.mn2.size() != request.ab2.size())
            throw UsageError{"--mn2 needs one MN/2 per AB/2 value"};
        for (std::size_t i = 0; i < request.mn2.size(); ++i) {
            if (!(std::isfinite(request.mn2[i]) && request.mn2[i] > 0 && request.mn2[i] < request.ab2[i]))
                throw UsageError{"--mn2: each MN/2 lies between 0 and its AB/2"};
        }
    }
}

ForwardRequest parseForward(const std::vector<std::string>& words) {
    ForwardRequest request;
    OptionTable({numbersOption("--rho", request.rho), numbersOption("--thk", request.thk),
                 numbersOption("--m", request.m, &request.withM), numbersOption("--ab2", request.ab2),
                 numbersOption("--mn2", request.mn2, &request.withMn)},
                [](const std::string& word) { throw UsageError{"unknown option " + clipped(word)}; })
        .parse(words);
    checkForwardLists(request);
    if (request.rho.size() > static_cast<std::size_t>(model::kMaxLayers))
        throw UsageError{"--rho: a model has at most " + std::to_string(model::kMaxLayers) + " layers"};
    for (std::size_t i = 0; i < request.rho.size(); ++i)
        request.earth.layers.push_back({request.rho[i], i < request.thk.size() ? request.thk[i] : 0.0,
                                        request.withM ? request.m[i] : 0.0});
    // Outside the domain the transform loses its accuracy: refused rather than printed.
    if (const std::string reason = model::modelOutsideDomain(request.earth); !reason.empty())
        throw UsageError{reason};
    if (const std::string reason = model::spacingOutsideDomain(request.ab2); !reason.empty())
        throw UsageError{reason};
    return request;
}

int forwardModel(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    ForwardRequest request;
    try {
        request = parseForward(words);
    } catch (const UsageError& usage) {
        err << "vesplot forward: " << usage.reason << "\n" << interpretUsage;
        return 2;
    }

    JsonWriter json(&out);
    json.beginObject();
    json.key("ab2");
    json.doubleArray(request.ab2);
    if (request.withMn) {
        json.key("mn2");
        json.doubleArray(request.mn2);
    }
    json.key("rhoa");
    json.doubleArray(model::apparentResistivity(request.earth, request.ab2, request.mn2));
    if (request.withM) {
        json.key("ma");
        json.doubleArray(model::apparentChargeability(request.earth, request.ab2, request.mn2));
    }
    json.endObject();
    json.flush();
    return finishReport(out, err, "vesplot forward: the output could not be written") ? 0 : 1;
}

// What `vesplot invert` was asked for, after the command line was checked.
struct InvertRequest {
    CommandLine reader; // FILE, --kind, --station
    bool all = false;
    bool smooth = false;
    bool ideal = false;
    model::BlockFitOptions block;
    bool layersGiven = false;   // --layers
    bool segmentsGiven = false; // --segments
    std::vector<std::size_t> mask;
    bool masking = false;
    bool lateral = false;                // --all fitted as one line
    std::optional<double> lateralWeight; // its weight; none: the program's choice
};

// "--layers 4" or "--layers auto".
void takeLayers(InvertRequest& request, const std::string& text) {
    int layers = 0;
    if (text == "auto")
        request.block.autoLayers = true;
    else if (tryParseInt(text, layers) && model::isLayerCount(layers))
        request.block.layers = layers, request.block.autoLayers = false;
    else
        throw UsageError{"--layers takes a count from " + std::to_string(model::kMinLayers) + " to " +
                         std::to_string(model::kMaxLayers) + " or auto, not " + quoted(text)};
    request.layersGiven = true;
}

// "--mask 3,7": 0-based positions of the station's points, added to those of an earlier --mask.
void takeMask(InvertRequest& request, const std::string& text) {
    for (const std::string& item : splitList(text)) {
        int index = 0;
        if (!tryParseInt(item, index) || index < 0)
            throw UsageError{"--mask takes point indices (0, 1, ...) separated by commas, not " +
                             quoted(item)};
        request.mask.push_back(static_cast<std::size_t>(index));
    }
    request.masking = true;
}

// "--fix thk1=3.5,rho2=30", added to those of an earlier --fix.
void takeFixed(InvertRequest& request, const std::string& text) {
    for (const std::string& item : splitList(text)) {
        const std::size_t eq = item.find('=');
        double value = 0;
        if (eq == std::string::npos || !tryParseFloat(item.substr(eq + 1), value) ||
            !(std::isfinite(value) && value > 0))
            throw UsageError{"--fix takes NAME=VALUE pairs with positive values, e.g. thk1=3.5"};
        request.block.fixed.push_back({item.substr(0, eq), value});
    }
}

std::vector<OptionTable::Option> invertOptions(InvertRequest& request) {
    using Argument = OptionTable::Argument;
    // The reference is optional: a following word that is neither stays for what comes next.
    const auto segments = [&request](const std::string& reference) {
        request.block.segments =
            reference == "last" ? model::SegmentReference::LargestMn2 : model::SegmentReference::SmallestMn2;
        request.segmentsGiven = true;
    };
    const auto isReference = [](const std::string& word) { return word == "first" || word == "last"; };
    std::vector<OptionTable::Option> options = readerOptions(request.reader);
    options.insert(
        options.end(),
        {OptionTable::flag("--all", request.all),
         OptionTable::flag("--smooth", request.smooth),
         OptionTable::flag("--ideal", request.ideal),
         OptionTable::flag("--ranges", request.block.ranges),
         {{"--layers"},
          Argument::Required,
          [&request](const std::string& text) { takeLayers(request, text); }},
         {{"--segments"}, Argument::Optional, segments, isReference},
         {{"--mask"}, Argument::Required, [&request](const std::string& text) { takeMask(request, text); }},
         lateralOption(request.lateral, request.lateralWeight, "takes"),
         {{"--fix"}, Argument::Required, [&request](const std::string& text) { takeFixed(request, text); }}});
    return options;
}

// The options that exclude each other, and the held values: each name once, and a parameter of the
// model fitted.
void checkInvertCombinations(const InvertRequest& request) {
    if (request.smooth) {
        if (!request.block.fixed.empty())
            throw UsageError{"--fix applies to a block model (--layers), not to --smooth"};
        if (request.layersGiven || request.segmentsGiven || request.block.ranges)
            throw UsageError{"--smooth excludes --layers, --segments and --ranges"};
    }
    if (request.lateral) {
        if (!request.all)
            throw UsageError{"--lateral fits the stations of --all together"};
        if (request.smooth)
            throw UsageError{"--lateral applies to a block model (--layers), not to --smooth"};
        if (request.block.ranges)
            throw UsageError{"--ranges does not apply to --lateral (the joint fit has no profile ranges)"};
    }
    const std::vector<model::FixedParameter>& fixed = request.block.fixed;
    for (std::size_t k = 0; k < fixed.size(); ++k) {
        for (std::size_t j = 0; j < k; ++j)
            if (fixed[j].name == fixed[k].name)
                throw UsageError{"--fix names " + clipped(fixed[k].name) + " more than once"};
        // With auto, a name that the largest count tried lacks belongs to no count tried.
        const std::string unknown = model::unknownParameter(
            fixed[k].name, request.block.autoLayers ? model::kMaxAutoLayers : request.block.layers);
        if (!unknown.empty())
            throw UsageError{unknown};
    }
}

InvertRequest parseInvert(const std::vector<std::string>& words) {
    InvertRequest request;
    std::optional<std::string> file;
    OptionTable(invertOptions(request), OptionTable::oneFile(file)).parse(words);
    checkInvertCombinations(request);
    request.reader.file = requireFile(file);
    if (request.all && request.reader.stationGiven)
        throw UsageError{"--station and --all exclude each other"};
    return request;
}

void writeRange(JsonWriter& json, const char* name, const std::optional<model::ValueRange>& range) {
    if (!range)
        return;
    json.key(name);
    json.beginArray();
    for (const std::optional<double>& side : {range->low, range->high}) {
        if (side)
            json.value(*side);
        else
            json.null();
    }
    json.endArray();
}

void writeModel(JsonWriter& json, const model::LayeredModel& earth, bool withM) {
    json.key("layers");
    json.beginArray();
    double depth = 0;
    for (std::size_t i = 0; i < earth.layers.size(); ++i) {
        const model::Layer& layer = earth.layers[i];
        const bool halfSpace = i + 1 == earth.layers.size();
        json.beginObject();
        json.key("rho");
        json.value(layer.rho);
        if (!halfSpace) {
            depth += layer.thk;
            json.key("thk");
            json.value(layer.thk);
            json.key("depth");
            json.value(depth);
        }
        if (withM) {
            json.key("m");
            json.value(layer.m);
        }
        writeRange(json, "rhoRange", layer.rhoRange);
        if (!halfSpace)
            writeRange(json, "thkRange", layer.thkRange);
        json.endObject();
    }
    json.endArray();
}

void writeStation(JsonWriter& json, const Station& station, std::size_t index, const model::FitResult& fit,
                  const InvertRequest& request) {
    const model::FitReport& report = fit.report;
    json.beginObject();
    json.key("station");
    json.value(station.stationNumber.empty() ? 0 : station.stationNumber[0]);
    json.key("index");
    json.value(index);
    json.key("pointsUsed");
    json.value(static_cast<std::int32_t>(report.pointsUsed));
    if (!report.ok()) {
        json.key("error");
        json.value(report.error);
        json.endObject();
        return;
    }
    if (request.masking) {
        json.key("masked");
        json.beginArray();
        for (std::size_t position : report.masked)
            json.value(position);
        json.endArray();
    }
    if (request.block.autoLayers && !request.smooth) {
        json.key("layersChosen");
        json.value(static_cast<std::int32_t>(report.layersChosen));
        json.key("layerSearch");
        json.beginArray();
        for (const model::LayerCountTrial& trial : report.layerSearch) {
            json.beginObject();
            json.key("layers");
            json.value(static_cast<std::int32_t>(trial.layers));
            json.key("rmsPercent");
            json.value(trial.rmsPercent);
            json.endObject();
        }
        json.endArray();
    }
    const bool withM = !report.maResponse.empty();
    writeModel(json, fit.model, withM);
    if (!report.segments.empty()) {
        json.key("segments");
        json.beginArray();
        for (const model::SegmentFactor& segment : report.segments) {
            json.beginObject();
            json.key("mn2");
            json.value(static_cast<float>(segment.mn2)); // as the file gave it
            json.key("points");
            json.value(static_cast<std::int32_t>(segment.points));
            json.key("factor");
            json.value(segment.factor);
            json.key("reference");
            json.value(segment.reference);
            json.endObject();
        }
        json.endArray();
    }
    json.key("fit");
    json.beginObject();
    json.key("ab2");
    json.doubleArray(report.ab2);
    json.key("rhoa");
    json.doubleArray(report.response);
    if (!report.correctedRhoa.empty()) {
        json.key("rhoaCorrected");
        json.doubleArray(report.correctedRhoa);
    }
    if (withM) {
        json.key("ma");
        json.doubleArray(report.maResponse);
    }
    json.endObject();
    json.key("rmsPercent");
    json.value(report.rmsPercent);
    json.key("iterations");
    json.value(static_cast<std::int32_t>(report.iterations));
    json.key("converged");
    json.value(report.converged);
    json.endObject();
}

// Reads the data file into `state`; the exit status when it holds no station or cannot be read.
std::optional<int> loadStations(const CommandLine& line, SheetState& state, MessageRecorder& ui,
                                std::ostream& err) {
    PlotChoices choices;
    try {
        if (loadDataFile(state, choices, pathFromUtf8(line.file), dataFileKind(line), ui) !=
            OpenOutcome::Loaded) {
            for (const RecordedMessage& message : ui.messages)
                err << "vesplot invert: " << message.caption << ": " << message.text << "\n";
            err << "vesplot invert: " << line.file << " holds no station\n";
            return 1;
        }
    } catch (const ConversionError& conversion) {
        err << "vesplot invert: " << conversion.what() << "\n";
        return 1;
    }
    return std::nullopt;
}

// Whether the one station asked for exists and has every masked point; false after saying why.
bool stationChoiceFits(const InvertRequest& request, const StationList& stations, std::ostream& err) {
    const CommandLine& line = request.reader;
    if (static_cast<std::size_t>(line.station) >= stations.size()) {
        err << "vesplot invert: station index " << line.station << " is outside the " << stations.size()
            << " stations of " << line.file << "\n";
        return false;
    }
    const std::size_t points = stations[static_cast<std::size_t>(line.station)].size();
    for (std::size_t position : request.mask)
        if (position >= points) {
            err << "vesplot invert: --mask: point " << position << " is outside station index "
                << line.station << ", which has " << points << " points\n"
                << interpretUsage;
            return false;
        }
    return true;
}

struct InvertFits {
    std::size_t first = 0; // the index of the first station fitted
    std::vector<model::FitResult> stations;
    std::optional<model::LateralFitResult> joint; // --lateral
};

InvertFits fitRequested(const InvertRequest& request, const StationList& stations) {
    InvertFits fits;
    fits.first = request.all ? 0 : static_cast<std::size_t>(request.reader.station);
    const std::size_t last = request.all ? stations.size() : fits.first + 1;
    // The MN/2 as measured even with --ideal: the fit models ideal arrays itself, and the segments keep
    // the spacings they were measured with.
    std::vector<model::SoundingData> soundings;
    for (std::size_t i = fits.first; i < last; ++i)
        soundings.push_back(soundingOf(stations[i], false));
    model::BatchOptions options;
    options.kind = request.smooth ? model::FitKind::Smooth : model::FitKind::Block;
    options.block = request.block;
    options.block.ideal = request.ideal;
    options.block.mask = request.mask;
    options.smooth.ideal = request.ideal;
    options.smooth.mask = request.mask;
    if (request.lateral) {
        model::LateralFitOptions lateral;
        lateral.block = options.block;
        lateral.block.mask.clear();
        lateral.masks.assign(soundings.size(), request.mask);
        lateral.weight = request.lateralWeight;
        // Neighbours in file order, their distances from the station numbers.
        lateral.positions = stationPositions(stations, StationPlacement::ByNumber, 1.0);
        fits.joint = model::fitLine(soundings, lateral);
        fits.stations = std::move(fits.joint->stations);
    } else {
        fits.stations = model::fitStations(soundings, options);
    }
    model::rethrowOutOfMemory(fits.stations);
    return fits;
}

void writeLateral(JsonWriter& json, const model::LateralFitResult& joint) {
    json.key("lateral");
    json.beginObject();
    json.key("weight");
    json.value(joint.weight);
    json.key("rmsPercent");
    json.value(joint.rmsPercent);
    json.key("independentRmsPercent");
    json.value(joint.independentRmsPercent);
    json.key("layers");
    json.value(static_cast<std::int32_t>(joint.layers));
    if (!joint.weightSearch.empty()) {
        json.key("weightSearch");
        json.beginArray();
        for (const model::LateralTrial& trial : joint.weightSearch) {
            json.beginObject();
            json.key("weight");
            json.value(trial.weight);
            json.key("rmsPercent");
            json.value(trial.rmsPercent);
            json.endObject();
        }
        json.endArray();
    }
    json.key("iterations");
    json.value(static_cast<std::int32_t>(joint.iterations));
    json.key("converged");
    json.value(joint.converged);
    json.endObject();
}

// One station's object, or with --all {"stations": [...], "lateral": {...}}.
void writeFits(JsonWriter& json, const InvertRequest& request, const StationList& stations,
               const InvertFits& fits) {
    if (request.all) {
        json.beginObject();
        json.key("stations");
        json.beginArray();
    }
    for (std::size_t k = 0; k < fits.stations.size(); ++k)
        writeStation(json, stations[fits.first + k], fits.first + k, fits.stations[k], request);
    if (request.all) {
        json.endArray();
        if (fits.joint && fits.joint->error.empty())
            writeLateral(json, *fits.joint);
        json.endObject();
    }
    json.flush();
}

int invertFile(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    InvertRequest request;
    try {
        request = parseInvert(words);
    } catch (const UsageError& usage) {
        err << "vesplot invert: " << usage.reason << "\n" << interpretUsage;
        return 2;
    }
    MessageRecorder ui;
    SheetState state(ui);
    if (const std::optional<int> failed = loadStations(request.reader, state, ui, err))
        return *failed;
    if (!request.all && !stationChoiceFits(request, state.stations, err))
        return 2;
    const InvertFits fits = fitRequested(request, state.stations);
    JsonWriter json(&out);
    writeFits(json, request, state.stations, fits);
    if (!finishReport(out, err, "vesplot invert: the output could not be written"))
        return 1;
    const auto fitted = [](const model::FitResult& fit) { return fit.report.ok(); };
    if (std::none_of(fits.stations.begin(), fits.stations.end(), fitted)) {
        if (request.all)
            err << "vesplot invert: no station of " << request.reader.file << " could be fitted\n";
        else
            err << "vesplot invert: " << fits.stations[0].report.error << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int runForward(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    return runGuarded("forward", err, [&] { return forwardModel(words, out, err); });
}

int runInvert(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    return runGuarded("invert", err, [&] { return invertFile(words, out, err); });
}
