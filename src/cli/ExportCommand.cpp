#include "ExportCommand.h"

#include "cli/CommandLine.h"
#include "cli/CommandGuard.h"
#include "cli/OpenReportCommand.h"
#include "render/SheetExport.h"
#include "core/FilePath.h"
#include "core/ConversionError.h"
#include "cli/MessageRecorder.h"
#include "sheet/Composer.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <ostream>

namespace {

// Index of a --params name in the plot control window's order RES, M1, R, TD, TH, ZP.
int parameterIndex(const std::string& name)
{
    static const std::vector<std::string> names{"res", "m1", "r", "td", "th", "zp"};
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
}

// Writes the messages recorded since `from` and returns the new count.
std::size_t reportMessages(const MessageRecorder& ui, std::ostream& err, std::size_t from = 0)
{
    for (std::size_t i = from; i < ui.messages.size(); ++i)
        err << "vesplot export: " << ui.messages[i].caption << ": " << ui.messages[i].text << "\n";
    return ui.messages.size();
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool namesEachStation(const std::string& pattern)
{
    return pattern.find("{station}") != std::string::npos || pattern.find("{index}") != std::string::npos;
}

// Progress of a batch on stderr: a line now and then, so long runs show they are alive.
class BatchProgress {
public:
    BatchProgress(std::ostream& err, std::size_t total) : err_(err), total_(total), start_(Clock::now()) {}
    void stationDone(std::size_t done)
    {
        const auto now = Clock::now();
        if (done == total_ || now - lastReport_ >= std::chrono::milliseconds(500)) {
            err_ << "vesplot export: " << done << "/" << total_ << " stations\n";
            lastReport_ = now;
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    std::size_t total_;
    Clock::time_point start_;
    Clock::time_point lastReport_ = start_;
};

int exportAll(SheetState& state, PlotChoices& choices, const std::string& pattern, int dpi, MessageRecorder& ui,
              std::ostream& err, const std::filesystem::path& dataFile)
{
    const std::size_t count = state.stations.size();
    BatchProgress progress(err, count);
    std::size_t reported = reportMessages(ui, err);
    if (!namesEachStation(pattern)) {
        // One PDF with a page per station.
        const std::string failure = writeSheetPdfPages(
            state, choices, pattern, count,
            [&](std::size_t i) {
                if (i > 0)
                    progress.stationDone(i);
                choices.stationIndex = static_cast<int>(i);
                composeSheet(state, choices);
                reported = reportMessages(ui, err, reported);
            },
            ui, dataFile);
        if (!failure.empty()) {
            err << "vesplot export: cannot write " << pattern << ": " << failure << "\n";
            return 1;
        }
        progress.stationDone(count);
        return 0;
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::string output = pattern;
        replaceAll(output, "{station}", std::to_string(state.stations[i].stationNumber.at(0)));
        replaceAll(output, "{index}", std::to_string(i));
        choices.stationIndex = static_cast<int>(i);
        composeSheet(state, choices);
        const std::string failure = writeSheetFile(state, choices, output, dpi, ui, dataFile);
        reported = reportMessages(ui, err, reported);
        if (!failure.empty()) {
            // The batch stops at the first sheet that cannot be written: the rest would mostly fail alike.
            err << "vesplot export: cannot write " << output << ": " << failure << "\n"
                << "vesplot export: stopped at station " << i + 1 << " of " << count << "; " << i
                << " sheets were written\n";
            return 1;
        }
        progress.stationDone(i + 1);
    }
    return 0;
}

} // namespace

namespace {

int exportSheets(const std::vector<std::string>& words, std::ostream& err)
{
    CommandLine line;
    try {
        line = parseCommandLine(words, true);
        if (!isSheetFileFormat(line.output))
            throw UsageError{"the output must end in .png, .bmp, .pdf or .svg: '" + line.output + "'"};
        if (line.all && !namesEachStation(line.output) && !line.output.ends_with(".pdf"))
            throw UsageError{"with --all the output must name each station with {station} or {index}, or be one .pdf"};
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
        for (const std::string& name : line.params)
            choices.ticked[parameterIndex(name)] = true;
    }
    if (!line.symbols.empty())
        std::copy(line.symbols.begin(), line.symbols.end(), choices.symbols.begin());
    if (line.all)
        return exportAll(state, choices, line.output, line.dpi, ui, err, dataFile);

    if (static_cast<std::size_t>(line.station) >= state.stations.size()) {
        err << "vesplot export: station index " << line.station << " is outside the " << state.stations.size()
            << " stations of " << line.file << "\n";
        return 2;
    }
    choices.stationIndex = line.station;
    composeSheet(state, choices);

    const std::string failure = writeSheetFile(state, choices, line.output, line.dpi, ui, dataFile);
    reportMessages(ui, err);
    if (!failure.empty()) {
        err << "vesplot export: cannot write " << line.output << ": " << failure << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int runExport(const std::vector<std::string>& words, std::ostream& /*out*/, std::ostream& err)
{
    return runGuarded("export", err, [&] { return exportSheets(words, err); });
}
