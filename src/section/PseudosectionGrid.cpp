#include "section/PseudosectionGrid.h"

#include <algorithm>
#include <cmath>

PseudosectionGrid::PseudosectionGrid(const std::vector<StationSamples>& stations, int rowsPerDecade,
                                     int columnsPerGap)
    : columnsPerGap_(std::max(1, columnsPerGap)) {
    double low = INFINITY;
    double high = -INFINITY;
    for (const StationSamples& s : stations) {
        if (s.logAb.empty())
            continue;
        low = std::min(low, s.logAb.front());
        high = std::max(high, s.logAb.back());
    }
    if (stations.empty() || !(low <= high))
        return;

    const double decades = high - low;
    rows_ = 1 + static_cast<int>(std::ceil(decades * std::max(1, rowsPerDecade) - logAbTolerance));
    rows_ = std::max(rows_, 1);
    logAbMin_ = low;
    rowStep_ = rows_ > 1 ? decades / (rows_ - 1) : 1.0;

    columns_ = static_cast<int>(stations.size() - 1) * columnsPerGap_ + 1;
    x_.resize(static_cast<std::size_t>(columns_));
    values_.assign(static_cast<std::size_t>(columns_) * rows_, NAN);

    // The stations' own columns.
    std::vector<double> own(static_cast<std::size_t>(rows_));
    for (std::size_t k = 0; k < stations.size(); ++k) {
        const int c = stationColumn(k);
        x_[static_cast<std::size_t>(c)] = stations[k].position;
        for (int r = 0; r < rows_; ++r) {
            // The last row lands on the largest AB/2 exactly, not a rounding step past it.
            const double l = r == rows_ - 1 ? high : logAb(r);
            values_[static_cast<std::size_t>(r) * columns_ + c] = stations[k].valueAt(l);
        }
    }
    // Columns between stations: linear in x where both neighbours have a value.
    for (std::size_t k = 0; k + 1 < stations.size(); ++k) {
        const int c0 = stationColumn(k);
        const int c1 = stationColumn(k + 1);
        for (int j = 1; j < columnsPerGap_; ++j) {
            const double t = static_cast<double>(j) / columnsPerGap_;
            const int c = c0 + j;
            x_[static_cast<std::size_t>(c)] =
                x_[static_cast<std::size_t>(c0)] * (1.0 - t) + x_[static_cast<std::size_t>(c1)] * t;
            for (int r = 0; r < rows_; ++r) {
                const double a = at(c0, r);
                const double b = at(c1, r);
                if (!std::isnan(a) && !std::isnan(b))
                    values_[static_cast<std::size_t>(r) * columns_ + c] = a * (1.0 - t) + b * t;
            }
        }
    }
}

double PseudosectionGrid::xAt(double column) const {
    if (columns_ == 0)
        return NAN;
    if (columns_ == 1)
        return x_.front();
    const double c = std::clamp(column, 0.0, static_cast<double>(columns_ - 1));
    const int i = std::min(static_cast<int>(c), columns_ - 2);
    const double t = c - i;
    return x_[static_cast<std::size_t>(i)] * (1.0 - t) + x_[static_cast<std::size_t>(i) + 1] * t;
}
