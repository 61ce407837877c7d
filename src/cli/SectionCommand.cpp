#include "cli/SectionCommand.h"

#include "cli/CommandGuard.h"
#include "cli/CommandLine.h"
#include "cli/MessageRecorder.h"
#include "cli/OpenReportCommand.h"
#include "core/ConversionError.h"
#include "core/Conversions.h"
#include "core/FilePath.h"
#include "model/BatchFit.h"
#include "model/LateralFit.h"
#include "model/LayerLimits.h"
#include "render/SectionExport.h"
#include "section/SectionSheet.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"
#include "sheet/StationSounding.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <ostream>

namespace {

struct SectionRequest {
    CommandLine reader; // file and --kind
    std::string output;
    std::optional<Quantity> parameter; // none: the model section
    SectionOptions options;
    bool smooth = false;
    int layers = 3;
    bool lateral = false;                // one laterally constrained fit of all stations
    std::optional<double> lateralWeight; // its weight; none: the program's choice
    int dpi = 150;
};

constexpr double kLeastSpacing = 1e-3;  // m per station number
constexpr double kLargestSpacing = 1e6; // m per station number

const std::string& argumentOf(const std::vector<std::string>& words, std::size_t& i) {
    if (i + 1 >= words.size())
        throw UsageError{words[i] + " needs a value"};
    return words[++i];
}

double numberOf(const std::string& option, const std::string& text) {
    double value = 0;
    if (!tryParseFloat(text, value))
        throw UsageError{option + " expects a number, not '" + text.substr(0, 40) + "'"};
    return value;
}

int countOf(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    if (!tryParseInt(text, value) || value < low || value > high)
        throw UsageError{option + " expects a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text.substr(0, 40) + "'"};
    return value;
}

std::optional<Quantity> parameterOf(const std::string& name) {
    if (name == "model")
        return std::nullopt;
    if (const std::optional<Quantity> quantity = quantityNamed(name))
        return quantity;
    throw UsageError{"unknown --param '" + name.substr(0, 40) + "' (use res, m1, r, td, th, zp or model)"};
}

SectionRequest parseRequest(const std::vector<std::string>& words) {
    SectionRequest request;
    request.parameter = Quantity::Res;
    std::vector<std::string> readerWords;
    bool fitOptions = false;
    bool layersGiven = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "-o" || word == "--output") {
            request.output = argumentOf(words, i);
        } else if (word == "--kind") {
            readerWords.push_back(word);
            readerWords.push_back(argumentOf(words, i));
        } else if (word == "--param") {
            request.parameter = parameterOf(argumentOf(words, i));
        } else if (word == "--spacing") {
            // Distances are labelled in whole millimetres at the least: a smaller spacing labels every
            // station 0.
            request.options.spacing = numberOf(word, argumentOf(words, i));
            if (!(request.options.spacing >= kLeastSpacing && request.options.spacing <= kLargestSpacing))
                throw UsageError{"--spacing expects metres per station number from 0.001 to 1000000"};
        } else if (word == "--scale") {
            // 1:n; the automatic scale is the option left out.
            request.options.horizontalScale = numberOf(word, argumentOf(words, i));
            if (!(request.options.horizontalScale >= 1.0 && request.options.horizontalScale <= 1e9))
                throw UsageError{"--scale expects n of the scale 1:n, from 1 to 1e9 (leave it out for the "
                                 "automatic scale)"};
        } else if (word == "--order") {
            request.options.placement = StationPlacement::ByOrder;
        } else if (word == "--layers") {
            request.layers = countOf(word, argumentOf(words, i), model::kMinLayers, model::kMaxLayers);
            fitOptions = true;
            layersGiven = true;
        } else if (word == "--smooth") {
            request.smooth = true;
            fitOptions = true;
        } else if (word == "--lateral") {
            request.lateral = true;
            fitOptions = true;
            // The weight is optional: a next word that reads as a number is it.
            double weight = 0.0;
            if (i + 1 < words.size() && tryParseFloat(words[i + 1], weight)) {
                if (!(std::isfinite(weight) && weight > 0.0))
                    throw UsageError{"--lateral expects a positive weight, not '" +
                                     words[i + 1].substr(0, 40) + "'"};
                request.lateralWeight = weight;
                ++i;
            }
        } else if (word == "--dpi") {
            request.dpi = countOf(word, argumentOf(words, i), 10, 2400);
        } else {
            readerWords.push_back(word); // the file, or an option the reader's parser refuses
        }
    }
    request.reader = parseCommandLine(readerWords, false);
    if (request.output.empty())
        throw UsageError{"no output file given (-o OUT)"};
    if (!isSectionFileFormat(request.output))
        throw UsageError{"the output must end in .pdf, .svg or .png: '" + request.output + "'"};
    if (fitOptions && request.parameter)
        throw UsageError{"--layers, --smooth and --lateral apply to --param model"};
    if (request.lateral && request.smooth)
        throw UsageError{"--lateral applies to a layered model, not to --smooth"};
    if (layersGiven && request.smooth)
        throw UsageError{"--layers and --smooth exclude each other (a smooth model chooses its own layers)"};
    return request;
}

// The fitted models of all stations, with a progress line on `err` now and then.
std::vector<StationModel> fittedModels(const StationList& stations, const SectionRequest& request,
                                       std::ostream& err) {
    std::vector<model::SoundingData> soundings;
    soundings.reserve(stations.size());
    for (const Station& station : stations)
        soundings.push_back(soundingOf(station, false));
    model::BatchOptions options;
    options.kind = request.smooth ? model::FitKind::Smooth : model::FitKind::Block;
    options.block.layers = request.layers;
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastReport = Clock::now();
    model::BatchControl control;
    control.progress = [&](std::size_t done, std::size_t total) {
        const Clock::time_point now = Clock::now();
        if (done == total || now - lastReport >= std::chrono::seconds(1)) {
            err << "vesplot section: " << done << "/" << total
                << (request.lateral ? " steps of the line's fit done\n" : " stations fitted\n");
            lastReport = now;
        }
    };
    std::vector<model::FitResult> fits;
    if (request.lateral) {
        model::LateralFitOptions lateral;
        lateral.block = options.block;
        lateral.weight = request.lateralWeight;
        lateral.positions = stationPositions(stations, request.options.placement, request.options.spacing);
        model::LateralFitResult line = model::fitLine(soundings, lateral, control);
        if (!line.error.empty())
            err << "vesplot section: " << line.error << "\n";
        else
            err << "vesplot section: laterally constrained, weight " << line.weight << ", RMS "
                << formatPattern(line.rmsPercent, "0.00")
                << " % (stations fitted alone: " << formatPattern(line.independentRmsPercent, "0.00")
                << " %)\n";
        fits = std::move(line.stations);
    } else {
        fits = model::fitStations(soundings, options, control);
    }
    model::rethrowOutOfMemory(fits);
    std::vector<StationModel> models;
    models.reserve(fits.size());
    for (std::size_t i = 0; i < fits.size(); ++i) {
        if (!fits[i].report.ok())
            err << "vesplot section: station index " << i << ": " << fits[i].report.error << "\n";
        models.push_back(stationModelOf(stations[i], fits[i]));
    }
    return models;
}

int writeSection(const std::vector<std::string>& words, std::ostream& err) {
    SectionRequest request;
    try {
        request = parseRequest(words);
    } catch (const UsageError& usage) {
        err << "vesplot section: " << usage.reason << "\n" << headlessUsage;
        return 2;
    }

    MessageRecorder ui;
    SheetState state(ui);
    PlotChoices choices;
    const std::filesystem::path dataFile = pathFromUtf8(request.reader.file);
    const auto reportMessages = [&] {
        for (const RecordedMessage& message : ui.messages)
            err << "vesplot section: " << message.caption << ": " << message.text << "\n";
    };
    try {
        if (loadDataFile(state, choices, dataFile, dataFileKind(request.reader), ui) != OpenOutcome::Loaded) {
            reportMessages();
            err << "vesplot section: " << request.reader.file
                << " holds no sounding station; nothing written\n";
            return 1;
        }
    } catch (const ConversionError& conversion) {
        reportMessages();
        err << "vesplot section: " << conversion.what() << "\n";
        return 1;
    }

    SectionSheet section;
    SectionLayoutResult layout;
    if (request.parameter) {
        request.options.parameter = *request.parameter;
        layout = section.layoutPseudosection(state.stations, request.options);
    } else {
        layout = section.layoutModelSection(fittedModels(state.stations, request, err), request.options);
    }
    if (!layout) {
        err << "vesplot section: " << layout.message << "\n";
        return 1;
    }
    const std::string failure = writeSectionFile(section, request.output, request.dpi, dataFile);
    if (!failure.empty()) {
        err << "vesplot section: cannot write " << request.output << ": " << failure << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int runSection(const std::vector<std::string>& words, std::ostream& /*out*/, std::ostream& err) {
    return runGuarded("section", err, [&] { return writeSection(words, err); });
}
