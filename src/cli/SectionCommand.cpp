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
    std::optional<Quantity> parameter = Quantity::Res; // none: the model section
    SectionOptions options;
    bool smooth = false;
    int layers = 3;
    bool layersGiven = false;            // --layers
    bool lateral = false;                // one laterally constrained fit of all stations
    std::optional<double> lateralWeight; // its weight; none: the program's choice
    int dpi = 150;
};

constexpr double kLeastSpacing = 1e-3;  // m per station number
constexpr double kLargestSpacing = 1e6; // m per station number

// A station quantity's pseudosection, or none for "model", the section of the fitted models.
std::optional<Quantity> sectionParameterOf(const std::string& name) {
    if (name == "model")
        return std::nullopt;
    if (const std::optional<Quantity> quantity = quantityNamed(name))
        return quantity;
    throw UsageError{"unknown --param " + quoted(name) + " (use " + quantityNameList() + " or model)"};
}

std::vector<OptionTable::Option> sectionOptions(SectionRequest& request) {
    using Argument = OptionTable::Argument;
    const auto parameter = [&request](const std::string& name) {
        request.parameter = sectionParameterOf(name);
    };
    const auto order = [&request](const std::string&) {
        request.options.placement = StationPlacement::ByOrder;
    };
    const auto layers = [&request](const std::string& text) {
        request.layers = parseCount("--layers", text, model::kMinLayers, model::kMaxLayers);
        request.layersGiven = true;
    };
    std::vector<OptionTable::Option> options = readerOptions(request.reader);
    options.insert(
        options.end(),
        {OptionTable::text({"-o", "--output"}, request.output),
         {{"--param"}, Argument::Required, parameter},
         // Distances are labelled in whole millimetres at the least: a smaller spacing labels every
         // station 0.
         OptionTable::number(
             "--spacing", request.options.spacing,
             [](double spacing) { return spacing >= kLeastSpacing && spacing <= kLargestSpacing; },
             "--spacing expects metres per station number from 0.001 to 1000000"),
         // 1:n; the automatic scale is the option left out.
         OptionTable::number(
             "--scale", request.options.horizontalScale,
             [](double scale) { return scale >= 1.0 && scale <= 1e9; },
             "--scale expects n of the scale 1:n, from 1 to 1e9 (leave it out for the automatic scale)"),
         {{"--order"}, Argument::None, order},
         {{"--layers"}, Argument::Required, layers},
         OptionTable::flag("--smooth", request.smooth),
         lateralOption(request.lateral, request.lateralWeight, "expects"),
         OptionTable::count("--dpi", request.dpi, kMinOutputDpi, kMaxOutputDpi)});
    return options;
}

SectionRequest parseRequest(const std::vector<std::string>& words) {
    SectionRequest request;
    std::optional<std::string> file;
    OptionTable(sectionOptions(request), OptionTable::oneFile(file)).parse(words);
    request.reader.file = requireFile(file);
    if (request.output.empty())
        throw UsageError{"no output file given (-o OUT)"};
    if (!isSectionFileFormat(request.output))
        throw UsageError{"the output must end in .pdf, .svg or .png: '" + request.output + "'"};
    if ((request.layersGiven || request.smooth || request.lateral) && request.parameter)
        throw UsageError{"--layers, --smooth and --lateral apply to --param model"};
    if (request.lateral && request.smooth)
        throw UsageError{"--lateral applies to a layered model, not to --smooth"};
    if (request.layersGiven && request.smooth)
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
