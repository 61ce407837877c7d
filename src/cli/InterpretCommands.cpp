#include "InterpretCommands.h"

#include "cli/CommandGuard.h"
#include "cli/CommandLine.h"
#include "cli/JsonWriter.h"
#include "cli/MessageRecorder.h"
#include "core/ConversionError.h"
#include "core/Conversions.h"
#include "core/FilePath.h"
#include "model/BatchFit.h"
#include "model/BlockInversion.h"
#include "model/ForwardModel.h"
#include "model/SmoothInversion.h"
#include "model/SoundingData.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"
#include "sheet/StationSounding.h"

#include <cmath>
#include <optional>
#include <ostream>
#include <span>

const char* const interpretUsage =
    "usage: vesplot forward --rho R1,R2,...,Rn [--thk H1,...,H(n-1)] [--m M1,...,Mn] [--ab2 A1,...] [--mn2 "
    "B1,...]\n"
    "       vesplot invert FILE [--kind dat|ves] [--station INDEX | --all] [--layers K | --smooth]\n"
    "                      [--fix NAME=VALUE,...] [--ideal]\n";

namespace {

struct Usage {
    std::string reason;
};

std::vector<double> numberList(const std::string& option, const std::string& text) {
    std::vector<double> numbers;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        const std::string item =
            text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        double value = 0;
        if (!tryParseFloat(item, value))
            throw Usage{option + ": '" + item.substr(0, 40) + "' is no number"};
        numbers.push_back(value);
        if (comma == std::string::npos)
            return numbers;
        from = comma + 1;
    }
}

const std::string& argumentOf(const std::vector<std::string>& words, std::size_t& i) {
    if (i + 1 >= words.size())
        throw Usage{words[i] + " needs a value"};
    return words[++i];
}

bool allPositive(const std::vector<double>& numbers) {
    for (double x : numbers) {
        if (!(std::isfinite(x) && x > 0))
            return false;
    }
    return true;
}

void writeModel(JsonWriter& json, const model::LayeredModel& earth, bool withM) {
    json.key("layers");
    json.beginArray();
    double depth = 0;
    for (std::size_t i = 0; i < earth.layers.size(); ++i) {
        const model::Layer& layer = earth.layers[i];
        json.beginObject();
        json.key("rho");
        json.value(layer.rho);
        if (i + 1 < earth.layers.size()) {
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
        json.endObject();
    }
    json.endArray();
}

void writeStation(JsonWriter& json, const ProfileData& station, std::size_t index,
                  const model::FitResult& fit) {
    json.beginObject();
    json.key("station");
    json.value(station.stationNumber.empty() ? 0 : station.stationNumber[0]);
    json.key("index");
    json.value(index);
    json.key("pointsUsed");
    json.value(static_cast<std::int32_t>(fit.report.pointsUsed));
    if (!fit.report.ok()) {
        json.key("error");
        json.value(fit.report.error);
        json.endObject();
        return;
    }
    const bool withM = !fit.report.maResponse.empty();
    writeModel(json, fit.model, withM);
    json.key("fit");
    json.beginObject();
    json.key("ab2");
    json.doubleArray(fit.report.ab2);
    json.key("rhoa");
    json.doubleArray(fit.report.response);
    if (withM) {
        json.key("ma");
        json.doubleArray(fit.report.maResponse);
    }
    json.endObject();
    json.key("rmsPercent");
    json.value(fit.report.rmsPercent);
    json.key("iterations");
    json.value(static_cast<std::int32_t>(fit.report.iterations));
    json.key("converged");
    json.value(fit.report.converged);
    json.endObject();
}

} // namespace

namespace {

int forwardModel(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    std::vector<double> rho, thk, m, ab2, mn2;
    bool withM = false, withMn = false;
    try {
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::string& w = words[i];
            if (w == "--rho")
                rho = numberList(w, argumentOf(words, i));
            else if (w == "--thk")
                thk = numberList(w, argumentOf(words, i));
            else if (w == "--m")
                m = numberList(w, argumentOf(words, i)), withM = true;
            else if (w == "--ab2")
                ab2 = numberList(w, argumentOf(words, i));
            else if (w == "--mn2")
                mn2 = numberList(w, argumentOf(words, i)), withMn = true;
            else
                throw Usage{"unknown option " + w.substr(0, 40)};
        }
        if (rho.empty() || !allPositive(rho))
            throw Usage{"--rho needs positive, finite resistivities"};
        if (!allPositive(thk) || thk.size() + 1 != rho.size())
            throw Usage{"--thk needs one positive, finite thickness fewer than --rho has resistivities"};
        if (withM) {
            if (m.size() != rho.size())
                throw Usage{"--m needs one chargeability per layer"};
            for (double x : m) {
                if (!(x >= 0 && x < 100))
                    throw Usage{"--m: chargeabilities lie in [0, 100)"};
            }
        }
        if (ab2.empty()) {
            for (int k = 0; k <= 18; ++k)
                ab2.push_back(std::round(std::pow(10.0, k / 6.0) * 1e4) / 1e4);
        }
        if (!allPositive(ab2))
            throw Usage{"--ab2 needs positive, finite AB/2 values"};
        if (withMn) {
            if (mn2.size() != ab2.size())
                throw Usage{"--mn2 needs one MN/2 per AB/2 value"};
            for (std::size_t i = 0; i < mn2.size(); ++i) {
                if (!(std::isfinite(mn2[i]) && mn2[i] > 0 && mn2[i] < ab2[i]))
                    throw Usage{"--mn2: each MN/2 lies between 0 and its AB/2"};
            }
        }
    } catch (const Usage& usage) {
        err << "vesplot forward: " << usage.reason << "\n" << interpretUsage;
        return 2;
    }

    model::LayeredModel earth;
    for (std::size_t i = 0; i < rho.size(); ++i)
        earth.layers.push_back({rho[i], i < thk.size() ? thk[i] : 0.0, withM ? m[i] : 0.0});
    JsonWriter json(&out);
    json.beginObject();
    json.key("ab2");
    json.doubleArray(ab2);
    if (withMn) {
        json.key("mn2");
        json.doubleArray(mn2);
    }
    json.key("rhoa");
    json.doubleArray(model::apparentResistivity(earth, ab2, mn2));
    if (withM) {
        json.key("ma");
        json.doubleArray(model::apparentChargeability(earth, ab2, mn2));
    }
    json.endObject();
    json.flush();
    out << "\n";
    out.flush();
    if (!out) {
        err << "vesplot forward: the output could not be written\n";
        return 1;
    }
    return 0;
}

int invertFile(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    std::vector<std::string> readerWords;
    bool all = false, smooth = false, ideal = false;
    int layers = 3;
    std::vector<model::FixedParameter> fixed;
    CommandLine line;
    try {
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::string& w = words[i];
            if (w == "--all") {
                all = true;
            } else if (w == "--smooth") {
                smooth = true;
            } else if (w == "--ideal") {
                ideal = true;
            } else if (w == "--layers") {
                const std::string& text = argumentOf(words, i);
                if (!tryParseInt(text, layers) || layers < 1 || layers > 20)
                    throw Usage{"--layers takes a count from 1 to 20"};
            } else if (w == "--fix") {
                const std::string& text = argumentOf(words, i);
                std::size_t from = 0;
                while (from <= text.size()) {
                    const std::size_t comma = std::min(text.find(',', from), text.size());
                    const std::string item = text.substr(from, comma - from);
                    const std::size_t eq = item.find('=');
                    double value = 0;
                    if (eq == std::string::npos || !tryParseFloat(item.substr(eq + 1), value) ||
                        !(std::isfinite(value) && value > 0))
                        throw Usage{"--fix takes NAME=VALUE pairs with positive values, e.g. thk1=3.5"};
                    fixed.push_back({item.substr(0, eq), value});
                    from = comma + 1;
                }
            } else {
                readerWords.push_back(w);
                if ((w == "--kind" || w == "--station") && i + 1 < words.size())
                    readerWords.push_back(words[++i]);
            }
        }
        if (smooth && (!fixed.empty()))
            throw Usage{"--fix applies to a block model (--layers), not to --smooth"};
        line = parseCommandLine(readerWords, false);
    } catch (const Usage& usage) {
        err << "vesplot invert: " << usage.reason << "\n" << interpretUsage;
        return 2;
    } catch (const UsageError& usage) {
        err << "vesplot invert: " << usage.reason << "\n" << interpretUsage;
        return 2;
    }

    MessageRecorder ui;
    SheetState state(ui);
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
    const StationList& stations = state.stations;
    if (!all && static_cast<std::size_t>(line.station) >= stations.size()) {
        err << "vesplot invert: station index " << line.station << " is outside the " << stations.size()
            << " stations of " << line.file << "\n";
        return 2;
    }

    std::vector<model::SoundingData> soundings;
    const std::size_t first = all ? 0 : static_cast<std::size_t>(line.station);
    const std::size_t last = all ? stations.size() : first + 1;
    for (std::size_t i = first; i < last; ++i)
        soundings.push_back(soundingOf(stations[i], ideal));
    model::BatchOptions options;
    options.kind = smooth ? model::FitKind::Smooth : model::FitKind::Block;
    options.block.layers = layers;
    options.block.ideal = ideal;
    options.block.fixed = fixed;
    options.smooth.ideal = ideal;
    const std::vector<model::FitResult> fits = model::fitStations(soundings, options);
    model::rethrowOutOfMemory(fits);

    JsonWriter json(&out);
    if (all) {
        json.beginObject();
        json.key("stations");
        json.beginArray();
    }
    for (std::size_t k = 0; k < fits.size(); ++k)
        writeStation(json, stations[first + k], first + k, fits[k]);
    if (all) {
        json.endArray();
        json.endObject();
    }
    json.flush();
    out << "\n";
    out.flush();
    if (!out) {
        err << "vesplot invert: the output could not be written\n";
        return 1;
    }
    if (!all && !fits.empty() && !fits[0].report.ok()) {
        err << "vesplot invert: " << fits[0].report.error << "\n";
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
