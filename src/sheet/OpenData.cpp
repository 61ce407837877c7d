#include "sheet/OpenData.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/ConversionError.h"
#include "core/FilePath.h"
#include "core/Ui.h"
#include "data/ColumnFileProbe.h"
#include "data/TaggedFileReader.h"
#include "sheet/Composer.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"
#include "sheet/SheetView.h"

namespace {

constexpr double cmPerDecade = 6.25;
constexpr float rangeResetLow = 10000.0f;
constexpr float rangeResetHigh = -10000.0f;

void setIpBoxesEnabled(PlotChoices& choices, bool enabled) {
    using namespace plotparam;
    for (int param : {m1, r, td, th, zp})
        choices.enabled[param] = enabled;
}

// A value that can take part in a decade range (its logarithm exists).
bool decadeValue(float v) {
    return v > 0.0f && std::isfinite(v);
}

// Whole decades around [low, high]: 10^trunc(log10 low) to 10^(trunc(log10 high) + 1).
// The exponent is truncated toward zero, so values below 1 start at the decade of 1.
void widenToDecades(float& low, float& high) {
    low = static_cast<float>(std::pow(10.0, std::trunc(std::log10(static_cast<double>(low)))));
    high = static_cast<float>(std::pow(10.0, std::trunc(std::log10(static_cast<double>(high))) + 1.0));
}

float decadeLength(float low, float high) {
    return static_cast<float>(std::log10(static_cast<double>(high) / low) * cmPerDecade);
}

void scanRanges(SheetState& s) {
    // (see decadesDrawable for the same scan of AB/2 and resistivity alone)
    for (const ProfileData& station : s.stations) {
        const std::size_t n = station.size();
        const ValueColumn<float>* ip[] = {&station.chargeability, &station.deviation, &station.halfDecayTime,
                                          &station.decay, &station.compositeParameter};
        for (std::size_t j = 0; j < n; ++j) {
            const float ab = station.abHalf[j];
            if (decadeValue(ab)) {
                s.abMin = std::fmin(s.abMin, ab);
                s.abMax = std::fmax(s.abMax, ab);
            }
            if (j < station.resistivity.size() && decadeValue(station.resistivity[j])) {
                s.rhoMin = std::fmin(s.rhoMin, station.resistivity[j]);
                s.rhoMax = std::fmax(s.rhoMax, station.resistivity[j]);
            }
            for (const ValueColumn<float>* list : ip) {
                if (j >= list->size())
                    continue;
                const float v = (*list)[j];
                if (v < s.ipMin)
                    s.ipMin = v;
                if (v > s.ipMax)
                    s.ipMax = v;
            }
        }
    }
}

// True when the whole decades of the stations' AB/2 and resistivity values, and the axis lengths they
// give, are finite numbers a sheet can hold.
bool decadesDrawable(const StationList& stations) {
    float abMin = rangeResetLow, abMax = rangeResetHigh, rhoMin = rangeResetLow, rhoMax = rangeResetHigh;
    for (const ProfileData& station : stations) {
        for (float v : station.abHalf)
            if (decadeValue(v)) {
                abMin = std::fmin(abMin, v);
                abMax = std::fmax(abMax, v);
            }
        for (float v : station.resistivity)
            if (decadeValue(v)) {
                rhoMin = std::fmin(rhoMin, v);
                rhoMax = std::fmax(rhoMax, v);
            }
    }
    widenToDecades(abMin, abMax);
    widenToDecades(rhoMin, rhoMax);
    return std::isfinite(abMin) && std::isfinite(abMax) && std::isfinite(rhoMin) && std::isfinite(rhoMax) &&
           lengthDrawable(decadeLength(abMin, abMax)) && lengthDrawable(decadeLength(rhoMin, rhoMax));
}

// True when the stations hold at least one positive AB/2 and one positive resistivity.
bool hasDecadeData(const StationList& stations) {
    bool ab = false;
    bool rho = false;
    for (const ProfileData& station : stations) {
        for (float v : station.abHalf)
            ab = ab || decadeValue(v);
        for (float v : station.resistivity)
            rho = rho || decadeValue(v);
        if (ab && rho)
            return true;
    }
    return false;
}

// Passes every call on to the open command's Ui and remembers a cancel answered to a progress
// report, however the reader reacts to it; later reports are answered with cancel too.
class CancelWatch : public Ui {
public:
    explicit CancelWatch(Ui& ui) : ui_(ui) {}
    ~CancelWatch() override { ui_.endProgress(); }
    CancelWatch(const CancelWatch&) = delete;
    CancelWatch& operator=(const CancelWatch&) = delete;

    MsgResult messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon, bool owned = true) override {
        return ui_.messageBox(text, caption, buttons, icon, owned);
    }
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
        return ui_.inputQuery(caption, prompt, value);
    }
    void processPendingMessages() override { ui_.processPendingMessages(); }
    bool progress(std::uint64_t done, std::uint64_t total) override {
        if (!cancelled && !ui_.progress(done, total))
            cancelled = true;
        return !cancelled;
    }
    void endProgress() override {}
    void beginWaitCursor() override { ui_.beginWaitCursor(); }
    void endWaitCursor() override { ui_.endWaitCursor(); }

    bool cancelled = false;

private:
    Ui& ui_;
};

std::uint64_t fileSizeOf(const std::filesystem::path& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

bool missing(float v) {
    return std::isnan(v) || v == missingValue || v == -missingValue;
}

} // namespace

DataQuality measureDataQuality(const StationList& stations, DataFileKind kind) {
    DataQuality quality;
    quality.stations = stations.size();
    for (const ProfileData& station : stations) {
        quality.points += station.abHalf.size();
        for (const std::vector<float>* field : {&station.abHalf, &station.resistivity})
            for (float v : *field)
                quality.missingValues += missing(v) ? 1 : 0;
        if (kind != DataFileKind::Column)
            continue;
        for (const ValueColumn<float>* field :
             {&station.chargeability, &station.deviation, &station.halfDecayTime, &station.decay,
              &station.compositeParameter})
            for (float v : *field)
                quality.missingValues += missing(v) ? 1 : 0;
    }
    return quality;
}

void readDataFile(const std::filesystem::path& path, DataFileKind kind, Ui& ui, DataFileRead& read) {
    read = DataFileRead{};
    CancelWatch watch(ui);
    const std::uint64_t size = fileSizeOf(path);
    if (!watch.progress(0, size)) {
        read.cancelled = true;
        return;
    }
    ReadReport report;
    if (kind == DataFileKind::Column)
        read.columnHeader = probeColumnFile(watch, path, read.stations, &report);
    else
        readTaggedFile(watch, path, read.stations, &report);
    if (!report.cancelled)
        watch.progress(size, size);
    read.cancelled = report.cancelled || watch.cancelled;
    if (report.cutShort && !read.cancelled)
        watch.messageBox(cutShortMessage + pathToUtf8(path), "警告", MsgButtons::Ok, MsgIcon::Warning);
    read.skippedRows = static_cast<std::size_t>(report.skippedRows);
}

void roundDownIpLimit(float& value) {
    const double v = value;
    double result = 0.0;
    if (v < 1.0)
        result = 0.0;
    else if (v < 10.0)
        result = std::trunc(v);
    else if (v < 100.0)
        result = std::trunc(v * 0.1) * 10.0;
    else if (v < 1000.0)
        result = std::trunc(v * 0.01) * 100.0;
    else
        result = std::trunc(v * 0.001) * 1000.0;
    value = static_cast<float>(result);
}

void roundUpIpLimit(float& value) {
    const double v = value;
    double result = 0.0;
    if (v < 1.0)
        result = 1.0;
    else if (v < 10.0)
        result = std::trunc(v + 1.0);
    else if (v < 100.0)
        result = std::trunc(v * 0.1) * 10.0 + 10.0;
    else if (v < 1000.0)
        result = std::trunc(v * 0.01) * 100.0 + 100.0;
    else
        result = std::trunc(v * 0.001) * 1000.0 + 1000.0;
    value = static_cast<float>(result);
}

OpenOutcome loadDataFile(SheetState& s, PlotChoices& choices, const std::filesystem::path& path,
                         DataFileKind kind, Ui& ui, DataQuality* quality) {
    DataFileRead read;
    try {
        readDataFile(path, kind, ui, read);
    } catch (const ConversionError&) {
        s.stations = std::move(read.stations);
        throw;
    }
    if (read.cancelled)
        return OpenOutcome::Cancelled;
    if (hasDecadeData(read.stations) && !decadesDrawable(read.stations)) {
        ui.messageBox(rangeTooLargeMessage, "警告", MsgButtons::Ok, MsgIcon::Warning);
        return OpenOutcome::RangeTooLarge;
    }
    s.stations = std::move(read.stations);
    if (quality) {
        *quality = measureDataQuality(s.stations, kind);
        quality->skippedRows = read.skippedRows;
    }
    if (kind == DataFileKind::Column) {
        if (read.columnHeader) {
            s.leftAxis.logarithmic = true;
            s.rightAxis.logarithmic = false;
            setIpBoxesEnabled(choices, true);
        }
    } else {
        if (!s.stations.empty()) {
            for (TAxis* axis : {&s.topAxis, &s.leftAxis, &s.bottomAxis, &s.rightAxis})
                axis->logarithmic = true;
            setIpBoxesEnabled(choices, false);
        }
    }

    s.rhoMin = s.ipMin = s.abMin = rangeResetLow;
    s.rhoMax = s.ipMax = s.abMax = rangeResetHigh;
    s.surveyMean = 0.0f;

    if (!hasDecadeData(s.stations)) {
        // Stations without any usable value must not be composed from the selector's old entries.
        if (!s.stations.empty())
            choices.stationIndex = -1;
        ui.messageBox(noStationMessage, "警告", MsgButtons::Ok, MsgIcon::Question);
        return OpenOutcome::NoStations;
    }

    choices.visible = true;
    choices.stationItems.clear();
    for (const ProfileData& station : s.stations)
        choices.stationItems.push_back(
            station.stationNumber.empty() ? std::string() : std::to_string(station.stationNumber[0]));
    choices.stationIndex = 0;
    choices.ticked[plotparam::res] = true;

    scanRanges(s);
    widenToDecades(s.abMin, s.abMax);
    s.xLengthCm = decadeLength(s.abMin, s.abMax);
    widenToDecades(s.rhoMin, s.rhoMax);
    roundDownIpLimit(s.ipMin);
    roundUpIpLimit(s.ipMax);
    s.yLengthCm = decadeLength(s.rhoMin, s.rhoMax);

    s.topAxis.logarithmic = true;
    s.leftAxis.logarithmic = true;
    s.bottomAxis.logarithmic = true;
    if (s.rightAxis.logarithmic) {
        s.ipMin = s.rhoMin;
        s.ipMax = s.rhoMax;
    }
    s.rightAxis.rangeMin = s.ipMin;
    s.rightAxis.rangeMax = s.ipMax;
    s.topAxis.rangeMin = s.bottomAxis.rangeMin = s.abMin;
    s.topAxis.rangeMax = s.bottomAxis.rangeMax = s.abMax;
    s.leftAxis.rangeMin = s.rhoMin;
    s.leftAxis.rangeMax = s.rhoMax;

    s.xLength = s.xLengthCm * 100.0f;
    s.yLength = s.yLengthCm * 100.0f;
    return OpenOutcome::Loaded;
}

OpenOutcome openDataFile(SheetState& state, PlotChoices& choices, const std::filesystem::path& path,
                         DataFileKind kind, Ui& ui, DataQuality* quality) {
    const OpenOutcome outcome = loadDataFile(state, choices, path, kind, ui, quality);
    if (outcome == OpenOutcome::Loaded)
        composeSheet(state, choices);
    return outcome;
}
