#include "section/StationSamples.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

struct Accumulated {
    double sum = 0.0;
    int count = 0;  // present values at this AB/2
    int absent = 0; // points at this AB/2 without the value
};

// AB/2 values of one column, keyed by log10 AB/2 rounded to the tolerance so that equal spacings meet.
using Points = std::map<long long, Accumulated>;

long long spacingKey(double logAb) {
    return std::llround(logAb / logAbTolerance);
}

template <class Values>
void addValues(Points& points, const std::vector<float>& abHalf, const Values& values, bool logarithmic) {
    const std::size_t n = std::min(abHalf.size(), values.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double ab = abHalf[i];
        if (!isPresent(ab, true))
            continue;
        Accumulated& at = points[spacingKey(std::log10(ab))];
        const double v = values[i];
        if (isPresent(v, logarithmic)) {
            at.sum += logarithmic ? std::log10(v) : v;
            ++at.count;
        } else {
            ++at.absent;
        }
    }
}

void addStation(Points& points, const Station& station, Quantity parameter) {
    const bool logarithmic = isLogarithmic(parameter);
    withValuesOf(station, parameter,
                 [&](const auto& values) { addValues(points, station.abHalf, values, logarithmic); });
}

void finish(StationSamples& samples, const Points& points) {
    // AB/2 values where the parameter is absent at every point: they split the station.
    std::vector<double> absentAt;
    for (const auto& [key, at] : points) {
        const double logAb = static_cast<double>(key) * logAbTolerance;
        if (at.count > 0) {
            samples.logAb.push_back(logAb);
            samples.value.push_back(at.sum / at.count);
        } else {
            absentAt.push_back(logAb);
        }
    }
    const std::size_t n = samples.logAb.size();
    samples.bridged.assign(n > 0 ? n - 1 : 0, true);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double a = samples.logAb[i];
        const double b = samples.logAb[i + 1];
        const bool missingBetween =
            std::any_of(absentAt.begin(), absentAt.end(), [&](double x) { return x > a && x < b; });
        double neighbour = 0.0;
        if (i > 0)
            neighbour = std::max(neighbour, a - samples.logAb[i - 1]);
        if (i + 2 < n)
            neighbour = std::max(neighbour, samples.logAb[i + 2] - b);
        const bool tooWide = neighbour > 0.0 && (b - a) > wideStepFactor * neighbour;
        samples.bridged[i] = !missingBetween && !tooWide;
    }
}

} // namespace

double StationSamples::valueAt(double logAbHalf) const {
    const std::size_t n = logAb.size();
    if (n == 0 || std::isnan(logAbHalf) || logAbHalf < logAb.front() - logAbTolerance ||
        logAbHalf > logAb.back() + logAbTolerance)
        return NAN;
    const auto upper = std::upper_bound(logAb.begin(), logAb.end(), logAbHalf);
    const std::size_t i = upper == logAb.begin() ? 0 : static_cast<std::size_t>(upper - logAb.begin()) - 1;
    if (std::abs(logAbHalf - logAb[i]) <= logAbTolerance)
        return value[i];
    if (i + 1 >= n)
        return std::abs(logAbHalf - logAb[n - 1]) <= logAbTolerance ? value[n - 1] : NAN;
    if (std::abs(logAb[i + 1] - logAbHalf) <= logAbTolerance)
        return value[i + 1];
    if (!bridged[i])
        return NAN;
    const double t = (logAbHalf - logAb[i]) / (logAb[i + 1] - logAb[i]);
    return value[i] + t * (value[i + 1] - value[i]);
}

std::vector<StationSamples> collectStationSamples(const StationList& stations, Quantity parameter,
                                                  StationPlacement placement, double spacing) {
    // Columns keyed by position; the first station at a position names the column.
    std::map<double, std::pair<StationSamples, Points>> columns;
    for (std::size_t k = 0; k < stations.size(); ++k) {
        const Station& station = stations[k];
        const std::int32_t number = station.stationNumber.empty() ? 0 : station.stationNumber.front();
        const double position = stationPosition(number, k, placement, spacing);
        auto [it, inserted] = columns.try_emplace(position);
        if (inserted) {
            it->second.first.index = k;
            it->second.first.number = number;
            it->second.first.position = position;
        }
        addStation(it->second.second, station, parameter);
    }
    std::vector<StationSamples> result;
    result.reserve(columns.size());
    for (auto& [position, column] : columns) {
        finish(column.first, column.second);
        result.push_back(std::move(column.first));
    }
    return result;
}
