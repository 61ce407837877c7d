#include "ExportCommand.h"

#include "cli/CommandLine.h"
#include "cli/InspectCommand.h"
#include "cli/SheetExport.h"
#include "platform/ConversionError.h"
#include "platform/ScriptedUi.h"
#include "sheet/Composer.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

#include <algorithm>
#include <ostream>

namespace {

// Index of a --params name in the plot control window's order RES, M1, R, TD, TH, ZP.
int parameterIndex(const std::string& name)
{
    static const std::vector<std::string> names{"res", "m1", "r", "td", "th", "zp"};
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
}

void reportMessages(const ScriptedUi& ui, std::ostream& err)
{
    for (const RecordedMessage& message : ui.messages)
        err << "vesplot export: " << message.caption << ": " << message.text << "\n";
}

} // namespace

int runExport(const std::vector<std::string>& words, std::ostream& /*out*/, std::ostream& err)
{
    CommandLine line;
    try {
        line = parseCommandLine(words, true);
        if (!isSheetFileFormat(line.output))
            throw UsageError{"the output must end in .png, .bmp, .pdf or .svg: '" + line.output + "'"};
    } catch (const UsageError& usage) {
        err << "vesplot export: " << usage.reason << "\n" << headlessUsage;
        return 2;
    }
    const std::string kind = line.kind.value_or(kindFromFileName(line.file));

    ScriptedUi ui;
    SheetState state(ui);
    PlotChoices choices;
    try {
        const DataFileKind fileKind = kind == "ves" ? DataFileKind::Tagged : DataFileKind::Column;
        if (loadDataFile(state, choices, line.file, fileKind, ui) != OpenOutcome::Loaded) {
            reportMessages(ui, err);
            err << "vesplot export: " << line.file << " holds no sounding station; nothing written\n";
            return 1;
        }
    } catch (const ConversionError& conversion) {
        reportMessages(ui, err);
        err << "vesplot export: " << conversion.what() << "\n";
        return 1;
    }
    if (static_cast<std::size_t>(line.station) >= state.stations.size()) {
        err << "vesplot export: station index " << line.station << " is outside the " << state.stations.size()
            << " stations of " << line.file << "\n";
        return 2;
    }
    choices.stationIndex = line.station;
    if (!line.params.empty()) {
        choices.ticked.fill(false);
        for (const std::string& name : line.params)
            choices.ticked[parameterIndex(name)] = true;
    }
    if (!line.symbols.empty())
        std::copy(line.symbols.begin(), line.symbols.end(), choices.symbols.begin());
    composeSheet(state, choices);

    const std::string failure = writeSheetFile(state, choices, line.output, line.dpi, ui);
    reportMessages(ui, err);
    if (!failure.empty()) {
        err << "vesplot export: cannot write " << line.output << ": " << failure << "\n";
        return 1;
    }
    return 0;
}
