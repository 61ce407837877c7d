#include "sheet/OpenData.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <limits>
#include <span>
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
    for (Quantity quantity : {Quantity::M1, Quantity::R, Quantity::TD, Quantity::TH, Quantity::ZP})
        choices.enabled[quantity] = enabled;
}

// A value that can take part in a decade range (its logarithm exists).
bool decadeValue(float v) {
    return v > 0.0f && v <= std::numeric_limits<float>::max(); // positive and finite
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

// What an open derives from every point of a station list, gathered in one pass over the points: the
// ranges of the AB/2 and resistivity values that take part in the decades, the range of the IP values,
// and the count of missing values in the fields of the file kind (see measureDataQuality).
struct PointScan {
    float abMin = rangeResetLow, abMax = rangeResetHigh;
    float rhoMin = rangeResetLow, rhoMax = rangeResetHigh;
    float ipMin = rangeResetLow, ipMax = rangeResetHigh;
    std::size_t points = 0;
    std::size_t missingValues = 0;

    // At least one positive, finite AB/2 and one positive, finite resistivity, in any stations.
    bool hasDecadeData() const { return abMin <= abMax && rhoMin <= rhoMax; }
};

// Widens [low, high] (by <) to the values of `values` that `keep` accepts; NaNs take no part. Eight
// running ranges side by side, so that the comparisons of one value do not wait for those of the one
// before; which of -0 and +0 ends a range is left open (the ranges are rounded before any use).
template <class Keep> void widenRange(std::span<const float> values, Keep keep, float& low, float& high) {
    constexpr std::size_t lanes = 8;
    const float none = std::numeric_limits<float>::quiet_NaN();
    float lows[lanes], highs[lanes];
    std::fill(std::begin(lows), std::end(lows), low);
    std::fill(std::begin(highs), std::end(highs), high);
    const std::size_t whole = values.size() - values.size() % lanes;
    for (std::size_t j = 0; j < whole; j += lanes) {
        for (std::size_t k = 0; k < lanes; ++k) {
            const float v = keep(values[j + k]) ? values[j + k] : none;
            lows[k] = v < lows[k] ? v : lows[k];
            highs[k] = v > highs[k] ? v : highs[k];
        }
    }
    for (std::size_t j = whole; j < values.size(); ++j) {
        const float v = keep(values[j]) ? values[j] : none;
        lows[0] = v < lows[0] ? v : lows[0];
        highs[0] = v > highs[0] ? v : highs[0];
    }
    for (std::size_t k = 0; k < lanes; ++k) {
        low = lows[k] < low ? lows[k] : low;
        high = highs[k] > high ? highs[k] : high;
    }
}

std::size_t countMissing(std::span<const float> values) {
    std::size_t count = 0;
    for (float v : values)
        count += static_cast<std::size_t>(isMissing(v));
    return count;
}

// Widens [low, high] to the decade values among the first `points` of `values`, and counts the missing
// values among all of them.
void scanDecadeValues(const std::vector<float>& values, std::size_t points, float& low, float& high,
                      std::size_t& missingValues) {
    const std::span<const float> all(values);
    widenRange(all.first(std::min(points, all.size())), decadeValue, low, high);
    missingValues += countMissing(all);
}

// The same for an IP column, whose every value (missing markers included) takes part in the IP range. A
// column of one value is taken at once.
void scanIpValues(const ValueColumn<float>& column, std::size_t points, bool countMissingValues,
                  PointScan& scan) {
    const std::size_t used = std::min(points, column.size());
    const auto any = [](float) { return true; };
    if (column.isUniform()) {
        if (column.empty())
            return;
        const float v = column.front();
        if (used > 0)
            widenRange(std::span<const float>(&v, 1), any, scan.ipMin, scan.ipMax);
        if (countMissingValues && isMissing(v))
            scan.missingValues += column.size();
        return;
    }
    const std::span<const float> values = column.heldValues();
    widenRange(values.first(used), any, scan.ipMin, scan.ipMax);
    if (countMissingValues)
        scan.missingValues += countMissing(values);
}

PointScan scanPoints(const StationList& stations, DataFileKind kind) {
    PointScan scan;
    // A tagged file's IP fields are placeholders, not values the file left out.
    const bool ipCounted = kind == DataFileKind::Column;
    for (const Station& station : stations) {
        const std::size_t n = station.size();
        scan.points += n;
        scanDecadeValues(station.abHalf, n, scan.abMin, scan.abMax, scan.missingValues);
        scanDecadeValues(station.resistivity, n, scan.rhoMin, scan.rhoMax, scan.missingValues);
        for (const ValueColumn<float>* column :
             {&station.chargeability, &station.deviation, &station.halfDecayTime, &station.decay,
              &station.compositeParameter})
            scanIpValues(*column, n, ipCounted, scan);
    }
    return scan;
}

// True when the whole decades of the scanned AB/2 and resistivity ranges, and the axis lengths they
// give, are finite numbers a sheet can hold.
bool decadesDrawable(const PointScan& scan) {
    float abMin = scan.abMin, abMax = scan.abMax, rhoMin = scan.rhoMin, rhoMax = scan.rhoMax;
    widenToDecades(abMin, abMax);
    widenToDecades(rhoMin, rhoMax);
    return std::isfinite(abMin) && std::isfinite(abMax) && std::isfinite(rhoMin) && std::isfinite(rhoMax) &&
           lengthDrawable(decadeLength(abMin, abMax)) && lengthDrawable(decadeLength(rhoMin, rhoMax));
}

DataQuality qualityOf(const PointScan& scan, std::size_t stations) {
    DataQuality quality;
    quality.stations = stations;
    quality.points = scan.points;
    quality.missingValues = scan.missingValues;
    return quality;
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
    void nameProgress(const std::string& label) override { ui_.nameProgress(label); }
    const TextLocale& textLocale() const override { return ui_.textLocale(); }
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

} // namespace

DataQuality measureDataQuality(const StationList& stations, DataFileKind kind) {
    return qualityOf(scanPoints(stations, kind), stations.size());
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

namespace {

// The axes' kinds a file sets: a column file with its header line has a logarithmic left and a linear
// right axis and the IP boxes enabled; a tagged file with stations all four axes logarithmic and the
// IP boxes disabled.
void setAxisKinds(SheetState& s, PlotChoices& choices, DataFileKind kind, bool columnHeader) {
    if (kind == DataFileKind::Column) {
        if (columnHeader) {
            s.leftAxis.logarithmic = true;
            s.rightAxis.logarithmic = false;
            setIpBoxesEnabled(choices, true);
        }
    } else {
        if (!s.stations.empty()) {
            for (Axis* axis : {&s.topAxis, &s.leftAxis, &s.bottomAxis, &s.rightAxis})
                axis->logarithmic = true;
            setIpBoxesEnabled(choices, false);
        }
    }
}

// The station selector lists every station by its number, the first selected, with RES ticked.
void listStations(PlotChoices& choices, const StationList& stations) {
    choices.visible = true;
    choices.stationItems.clear();
    for (const Station& station : stations)
        choices.stationItems.push_back(
            station.stationNumber.empty() ? std::string() : std::to_string(station.stationNumber[0]));
    choices.stationIndex = 0;
    choices.ticked[Quantity::Res] = true;
}

// The axes' ranges from the scanned points, widened to whole decades (the IP range rounded), and the
// figure's lengths at 6.25 cm per decade.
void setRangesAndLengths(SheetState& s, const PointScan& scan) {
    s.abMin = scan.abMin;
    s.abMax = scan.abMax;
    s.rhoMin = scan.rhoMin;
    s.rhoMax = scan.rhoMax;
    s.ipMin = scan.ipMin;
    s.ipMax = scan.ipMax;
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
}

} // namespace

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
    // One pass over all points gives the ranges, the checks and the status note's counts.
    const PointScan scan = scanPoints(read.stations, kind);
    if (scan.hasDecadeData() && !decadesDrawable(scan)) {
        ui.messageBox(rangeTooLargeMessage, "警告", MsgButtons::Ok, MsgIcon::Warning);
        return OpenOutcome::RangeTooLarge;
    }
    s.stations = std::move(read.stations);
    if (quality) {
        *quality = qualityOf(scan, s.stations.size());
        quality->skippedRows = read.skippedRows;
    }
    setAxisKinds(s, choices, kind, read.columnHeader);

    s.rhoMin = s.ipMin = s.abMin = rangeResetLow;
    s.rhoMax = s.ipMax = s.abMax = rangeResetHigh;
    s.surveyMean = 0.0f;

    if (!scan.hasDecadeData()) {
        // Stations without any usable value must not be composed from the selector's old entries.
        if (!s.stations.empty())
            choices.stationIndex = -1;
        ui.messageBox(noStationMessage, "警告", MsgButtons::Ok, MsgIcon::Question);
        return OpenOutcome::NoStations;
    }

    listStations(choices, s.stations);

    setRangesAndLengths(s, scan);
    return OpenOutcome::Loaded;
}

OpenOutcome openDataFile(SheetState& state, PlotChoices& choices, const std::filesystem::path& path,
                         DataFileKind kind, Ui& ui, DataQuality* quality) {
    const OpenOutcome outcome = loadDataFile(state, choices, path, kind, ui, quality);
    if (outcome == OpenOutcome::Loaded)
        composeSheet(state, choices);
    return outcome;
}
