#include "OpenReportCommand.h"

#include "cli/CommandGuard.h"
#include "cli/CommandLine.h"
#include "cli/JsonWriter.h"
#include "cli/MessageRecorder.h"
#include "cli/StandardOutput.h"
#include "core/ConversionError.h"
#include "core/FilePath.h"
#include "sheet/Composer.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

#include <optional>
#include <ostream>
#include <string_view>

const char* const headlessUsage =
    "usage: vesplot inspect FILE [--kind dat|ves] [--station INDEX]\n"
    "       vesplot export FILE -o OUT [--kind dat|ves] [--station INDEX] [--params res,m1,r,td,th,zp]\n"
    "                      [--symbols N,N,N,N,N,N] [--dpi N] [--all] [--invert K | --smooth]\n"
    "  OUT ends in .png, .bmp (bitmap at --dpi, default 96), .pdf or .svg (true size).\n"
    "  With --all every station is exported: OUT names one file per station through {station}\n"
    "  (the station number) or {index} (its position), or is one .pdf with a page per station.\n"
    "  --invert K fits each exported station with a K-layer model (1 to 10), --smooth with a smooth\n"
    "  many-layer model, and draws the interpretation on its sheet: the model response, the layered\n"
    "  model, the M1 response when M1 is drawn, and a table of the layers with the fit's RMS.\n"
    "  A station that cannot be fitted is not exported and the status is 1.\n"
    "       vesplot section FILE -o OUT [--kind dat|ves] [--param res|m1|r|td|th|zp|model] [--spacing M]\n"
    "                       [--order] [--scale N] [--layers K | --smooth] [--lateral [W]] [--dpi N]\n"
    "  A section of all stations of FILE along the line, M metres per station number (default 1;\n"
    "  --order: one step per station in file order), at 1:N (0 or none: about 25 cm wide). --param\n"
    "  model fits every station (K layers, 1 to 10, default 3, or --smooth) and draws the model section;\n"
    "  --lateral fits the stations together, neighbours' ln resistivities and ln depths tied with\n"
    "  weight W (weaker with distance; none: the largest of 0.03, 0.1, ... 30 that keeps the misfit\n"
    "  within 10 % of the stations fitted alone).\n"
    "  OUT ends in .pdf or .svg (true size) or .png (at --dpi, default 150).\n";

namespace {

const char* iconName(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return "information";
    case MsgIcon::Warning:
        return "warning";
    case MsgIcon::Error:
        return "error";
    case MsgIcon::Question:
        return "question";
    case MsgIcon::None:
        break;
    }
    return "none";
}

void writeStation(JsonWriter& json, const Station& station) {
    static const std::pair<const char*, ValueColumn<float> Station::*> ipFields[] = {
        {"chargeability", &Station::chargeability},
        {"deviation", &Station::deviation},
        {"halfDecayTime", &Station::halfDecayTime},
        {"decay", &Station::decay},
        {"compositeParameter", &Station::compositeParameter}};
    json.beginObject();
    json.key("number");
    json.value(station.stationNumber.empty() ? 0 : station.stationNumber[0]);
    json.key("abHalf");
    json.floatArray(station.abHalf);
    json.key("resistivity");
    json.floatArray(station.resistivity);
    for (const auto& [name, field] : ipFields) {
        json.key(name);
        json.floatArray((station.*field).toVector());
    }
    json.endObject();
}

void writeAxis(JsonWriter& json, const char* name, const Axis& axis) {
    json.key(name);
    json.beginObject();
    json.key("logarithmic");
    json.value(axis.logarithmic);
    json.key("rangeMin");
    json.value(axis.rangeMin);
    json.key("rangeMax");
    json.value(axis.rangeMax);
    json.endObject();
}

void writeCurve(JsonWriter& json, std::string_view name, const Curve& curve) {
    json.key(name);
    json.beginObject();
    json.key("xPoints");
    json.floatArray(curve.xPoints);
    json.key("yPoints");
    json.floatArray(curve.yPoints);
    json.key("invalid");
    json.value(curve.invalid);
    json.endObject();
}

} // namespace

namespace {

// What the open left for the report: the recorded messages and loaded state, or the reader's error.
struct InspectOutcome {
    MessageRecorder ui;
    SheetState state{ui};
    PlotChoices choices;
    std::optional<std::string> error;
    bool loaded = false;
};

void writeMessages(JsonWriter& json, const std::vector<RecordedMessage>& messages) {
    json.key("messages");
    json.beginArray();
    for (const RecordedMessage& message : messages) {
        json.beginObject();
        json.key("caption");
        json.value(message.caption);
        json.key("text");
        json.value(message.text);
        json.key("icon");
        json.value(iconName(message.icon));
        json.endObject();
    }
    json.endArray();
}

void writeRanges(JsonWriter& json, const SheetState& state) {
    json.beginObject();
    const std::pair<const char*, float> ranges[] = {{"abMin", state.abMin},   {"abMax", state.abMax},
                                                    {"rhoMin", state.rhoMin}, {"rhoMax", state.rhoMax},
                                                    {"ipMin", state.ipMin},   {"ipMax", state.ipMax}};
    for (const auto& [name, value] : ranges) {
        json.key(name);
        json.value(value);
    }
    json.endObject();
}

// The composed sheet: its lengths, four axes and six curves.
void writeSheet(JsonWriter& json, const SheetState& state) {
    json.key("lengthsCm");
    json.beginObject();
    json.key("x");
    json.value(state.xLengthCm);
    json.key("y");
    json.value(state.yLengthCm);
    json.endObject();
    json.key("axes");
    json.beginObject();
    writeAxis(json, "top", state.topAxis);
    writeAxis(json, "left", state.leftAxis);
    writeAxis(json, "bottom", state.bottomAxis);
    writeAxis(json, "right", state.rightAxis);
    json.endObject();
    json.key("curves");
    json.beginObject();
    for (Quantity quantity : recordOrder)
        writeCurve(json, commandName(quantity), state.curve(quantity));
    json.endObject();
}

void writeReport(JsonWriter& json, const std::string& kind, const InspectOutcome& outcome) {
    json.beginObject();
    json.key("kind");
    json.value(kind);
    writeMessages(json, outcome.ui.messages);
    json.key("error");
    if (outcome.error)
        json.value(*outcome.error);
    else
        json.null();
    json.key("loaded");
    json.value(outcome.loaded);
    json.key("stations");
    json.beginArray();
    for (const Station& station : outcome.state.stations)
        writeStation(json, station);
    json.endArray();
    json.key("ranges");
    if (outcome.error)
        json.null();
    else
        writeRanges(json, outcome.state);
    if (outcome.loaded) {
        writeSheet(json, outcome.state);
    } else {
        for (const char* name : {"lengthsCm", "axes", "curves"}) {
            json.key(name);
            json.null();
        }
    }
    json.endObject();
    json.flush();
}

int inspectFile(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    CommandLine line;
    try {
        line = parseCommandLine(words, false);
    } catch (const UsageError& usage) {
        err << "vesplot inspect: " << usage.reason << "\n" << headlessUsage;
        return 2;
    }
    InspectOutcome outcome;
    try {
        if (loadDataFile(outcome.state, outcome.choices, pathFromUtf8(line.file), dataFileKind(line),
                         outcome.ui) == OpenOutcome::Loaded) {
            if (static_cast<std::size_t>(line.station) >= outcome.state.stations.size()) {
                err << "vesplot inspect: station index " << line.station << " is outside the "
                    << outcome.state.stations.size() << " stations of " << line.file << "\n";
                return 2;
            }
            outcome.choices.stationIndex = line.station;
            outcome.loaded = composeSheet(outcome.state, outcome.choices);
        }
    } catch (const ConversionError& conversion) {
        outcome.error = conversion.what();
    }
    JsonWriter json(&out);
    writeReport(json, fileKindName(line), outcome);
    return finishReport(out, err, "vesplot inspect: the report could not be written to the standard output")
               ? 0
               : 1;
}

} // namespace

int runInspect(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    return runGuarded("inspect", err, [&] { return inspectFile(words, out, err); });
}
