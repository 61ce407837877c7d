#include "ExportCommand.h"

#include "cli/CommandGuard.h"
#include "cli/CommandLine.h"
#include "cli/InterpretCommands.h"
#include "cli/MessageRecorder.h"
#include "cli/OpenReportCommand.h"
#include "core/ConversionError.h"
#include "core/FilePath.h"
#include "model/BatchFit.h"
#include "render/SheetExport.h"
#include "sheet/Composer.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"
#include "sheet/StationSounding.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <ostream>

namespace {

// Writes the messages recorded since `from` and returns the new count.
std::size_t reportMessages(const MessageRecorder& ui, std::ostream& err, std::size_t from = 0) {
    for (std::size_t i = from; i < ui.messages.size(); ++i)
        err << "vesplot export: " << ui.messages[i].caption << ": " << ui.messages[i].text << "\n";
    return ui.messages.size();
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool namesEachStation(const std::string& pattern) {
    return pattern.find("{station}") != std::string::npos || pattern.find("{index}") != std::string::npos;
}

// Progress of a batch on stderr: a line now and then, so long runs show they are alive.
class BatchProgress {
public:
    BatchProgress(std::ostream& err, std::size_t total, const char* what = "stations")
        : err_(err), total_(total), what_(what), start_(Clock::now()) {}
    void stationDone(std::size_t done) {
        const auto now = Clock::now();
        if (done == total_ || now - lastReport_ >= std::chrono::milliseconds(500)) {
            err_ << "vesplot export: " << done << "/" << total_ << " " << what_ << "\n";
            lastReport_ = now;
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    std::size_t total_;
    const char* what_;
    Clock::time_point start_;
    Clock::time_point lastReport_ = start_;
};

// The interpretation asked for on the command line (--invert K or --smooth); none without either.
std::optional<model::BatchOptions> fitOptions(const CommandLine& line) {
    if (line.invertLayers <= 0 && !line.smooth)
        return std::nullopt;
    model::BatchOptions options;
    options.kind = line.smooth ? model::FitKind::Smooth : model::FitKind::Block;
    options.block.layers = line.invertLayers > 0 ? line.invertLayers : options.block.layers;
    return options;
}

std::int32_t stationNumberOf(const Station& station) {
    return station.stationNumber.empty() ? 0 : station.stationNumber.front();
}

// Fits the stations `first` to `last` (exclusive) of the file with their MN/2 as measured, spread over
// threads; a batch of stations shows its progress on `err`. One fit per station, in order.
std::vector<model::FitResult> fitExported(const SheetState& state, std::size_t first, std::size_t last,
                                          const model::BatchOptions& options, std::ostream& err) {
    std::vector<model::SoundingData> soundings;
    for (std::size_t i = first; i < last; ++i)
        soundings.push_back(soundingOf(state.stations[i], false));
    BatchProgress progress(err, soundings.size(), "stations fitted");
    std::mutex progressLock;
    model::BatchControl control;
    if (soundings.size() > 1) {
        control.progress = [&](std::size_t done, std::size_t) {
            const std::lock_guard lock(progressLock);
            progress.stationDone(done);
        };
    }
    std::vector<model::FitResult> fits = model::fitStations(soundings, options, control);
    model::rethrowOutOfMemory(fits);
    return fits;
}

// True when station `index` was fitted; else says so on `err`.
bool fitted(const SheetState& state, std::size_t index, const model::FitResult& fit, std::ostream& err) {
    if (fit.report.ok())
        return true;
    err << "vesplot export: station " << stationNumberOf(state.stations[index]) << " (index " << index
        << ") cannot be fitted: " << fit.report.error << "\n";
    return false;
}

// The fit of station `index` as the model drawn on its sheet.
void setStationModel(SheetState& state, std::size_t index, const model::FitResult& fit) {
    SheetModel sheetModel;
    sheetModel.stationNumber = stationNumberOf(state.stations[index]);
    sheetModel.earth = fit.model;
    sheetModel.report = fit.report;
    sheetModel.fitted = true;
    sheetModel.showTable = true;
    state.stationModel = std::move(sheetModel);
}

int exportAll(SheetState& state, PlotChoices& choices, const std::string& pattern, int dpi,
              MessageRecorder& ui, std::ostream& err, const std::filesystem::path& dataFile,
              const std::optional<model::BatchOptions>& fitting) {
    const std::size_t count = state.stations.size();
    std::size_t reported = reportMessages(ui, err);

    // With a fit asked for, only the stations fitted are exported; the others are reported.
    std::vector<model::FitResult> fits;
    std::vector<std::size_t> exported;
    if (fitting)
        fits = fitExported(state, 0, count, *fitting, err);
    for (std::size_t i = 0; i < count; ++i) {
        if (!fitting || fitted(state, i, fits[i], err))
            exported.push_back(i);
    }
    const bool unfitted = exported.size() < count;
    if (fitting && exported.empty()) {
        err << "vesplot export: no station could be fitted; nothing written\n";
        return 1;
    }
    // Composes station i of the file, with its model when fitted.
    const auto compose = [&](std::size_t i) {
        choices.stationIndex = static_cast<int>(i);
        composeSheet(state, choices);
        if (fitting)
            setStationModel(state, i, fits[i]);
    };

    BatchProgress progress(err, exported.size());
    if (!namesEachStation(pattern)) {
        // One PDF with a page per station.
        const std::string failure = writeSheetPdfPages(
            state, choices, pattern, exported.size(),
            [&](std::size_t page) {
                if (page > 0)
                    progress.stationDone(page);
                compose(exported[page]);
                reported = reportMessages(ui, err, reported);
            },
            ui, dataFile);
        if (!failure.empty()) {
            err << "vesplot export: cannot write " << pattern << ": " << failure << "\n";
            return 1;
        }
        progress.stationDone(exported.size());
        return unfitted ? 1 : 0;
    }
    for (std::size_t k = 0; k < exported.size(); ++k) {
        const std::size_t i = exported[k];
        std::string output = pattern;
        replaceAll(output, "{station}", std::to_string(state.stations[i].stationNumber.at(0)));
        replaceAll(output, "{index}", std::to_string(i));
        compose(i);
        const std::string failure = writeSheetFile(state, choices, output, dpi, ui, dataFile);
        reported = reportMessages(ui, err, reported);
        if (!failure.empty()) {
            // The batch stops at the first sheet that cannot be written: the rest would mostly fail alike.
            err << "vesplot export: cannot write " << output << ": " << failure << "\n"
                << "vesplot export: stopped at station " << k + 1 << " of " << exported.size() << "; " << k
                << " sheets were written\n";
            return 1;
        }
        progress.stationDone(k + 1);
    }
    return unfitted ? 1 : 0;
}

} // namespace

namespace {

int exportSheets(const std::vector<std::string>& words, std::ostream& err) {
    CommandLine line;
    try {
        line = parseCommandLine(words, true);
        if (!isSheetFileFormat(line.output))
            throw UsageError{"the output must end in .png, .bmp, .pdf or .svg: '" + line.output + "'"};
        if (line.all && !namesEachStation(line.output) && !line.output.ends_with(".pdf"))
            throw UsageError{
                "with --all the output must name each station with {station} or {index}, or be one .pdf"};
    } catch (const UsageError& usage) {
        err << "vesplot export: " << usage.reason << "\n" << headlessUsage;
        return 2;
    }

    MessageRecorder ui;
    SheetState state(ui);
    PlotChoices choices;
    const std::filesystem::path dataFile = pathFromUtf8(line.file);
    try {
        const OpenOutcome outcome = loadDataFile(state, choices, dataFile, dataFileKind(line), ui);
        if (outcome != OpenOutcome::Loaded) {
            reportMessages(ui, err);
            if (outcome == OpenOutcome::RangeTooLarge)
                err << "vesplot export: " << line.file << " cannot be drawn; nothing written\n";
            else
                err << "vesplot export: " << line.file << " holds no sounding station; nothing written\n";
            return 1;
        }
    } catch (const ConversionError& conversion) {
        reportMessages(ui, err);
        err << "vesplot export: " << conversion.what() << "\n";
        return 1;
    }
    if (!line.params.empty()) {
        choices.ticked.fill(false);
        for (Quantity quantity : line.params)
            choices.ticked[quantity] = true;
    }
    if (!line.symbols.empty())
        std::copy(line.symbols.begin(), line.symbols.end(), choices.symbols.begin());
    const std::optional<model::BatchOptions> fitting = fitOptions(line);
    if (line.all)
        return exportAll(state, choices, line.output, line.dpi, ui, err, dataFile, fitting);

    if (static_cast<std::size_t>(line.station) >= state.stations.size()) {
        err << "vesplot export: station index " << line.station << " is outside the " << state.stations.size()
            << " stations of " << line.file << "\n";
        return 2;
    }
    choices.stationIndex = line.station;
    composeSheet(state, choices);
    if (fitting) {
        const std::size_t index = static_cast<std::size_t>(line.station);
        const std::vector<model::FitResult> fits = fitExported(state, index, index + 1, *fitting, err);
        if (!fitted(state, index, fits.front(), err)) {
            reportMessages(ui, err);
            err << "vesplot export: nothing written\n";
            return 1;
        }
        setStationModel(state, index, fits.front());
    }

    const std::string failure = writeSheetFile(state, choices, line.output, line.dpi, ui, dataFile);
    reportMessages(ui, err);
    if (!failure.empty()) {
        err << "vesplot export: cannot write " << line.output << ": " << failure << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int runExport(const std::vector<std::string>& words, std::ostream& /*out*/, std::ostream& err) {
    return runGuarded("export", err, [&] { return exportSheets(words, err); });
}
