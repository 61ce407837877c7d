#include "sheet/OpenData.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "data/ColumnFileProbe.h"
#include "data/TaggedFileReader.h"
#include "platform/Ui.h"
#include "sheet/Composer.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

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
    for (const ProfileData& station : s.stations) {
        const std::size_t n = station.size();
        const std::vector<float>* ip[] = {&station.chargeability, &station.deviation, &station.halfDecayTime,
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
            for (const std::vector<float>* list : ip) {
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

} // namespace

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

OpenOutcome loadDataFile(SheetState& s, PlotChoices& choices, const std::string& path, DataFileKind kind,
                         Ui& ui) {
    s.stations.clear();
    if (kind == DataFileKind::Column) {
        if (probeColumnFile(ui, path, s.stations)) {
            s.leftAxis.logarithmic = true;
            s.rightAxis.logarithmic = false;
            setIpBoxesEnabled(choices, true);
        }
    } else {
        readTaggedFile(ui, path, s.stations);
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

OpenOutcome openDataFile(SheetState& state, PlotChoices& choices, const std::string& path, DataFileKind kind,
                         Ui& ui)
{
    const OpenOutcome outcome = loadDataFile(state, choices, path, kind, ui);
    if (outcome == OpenOutcome::Loaded)
        composeSheet(state, choices);
    return outcome;
}
