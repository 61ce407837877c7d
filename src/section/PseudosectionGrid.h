#pragma once

#include "section/StationSamples.h"

#include <cstddef>
#include <vector>

// A regular grid over the line (columns) and log10 AB/2 (rows, row 0 at the smallest AB/2) holding
// values in scale space. Every station has a column; between neighbouring stations lie
// `columnsPerGap - 1` evenly spaced columns. A station column holds the station's own values along
// log AB/2 (see StationSamples::valueAt); a column between two stations interpolates linearly in x
// where both neighbours have a value at that row. Everything else is a hole (NaN): no value is
// invented outside what was measured.
class PseudosectionGrid {
public:
    PseudosectionGrid() = default;
    // `stations` sorted by position, positions distinct. rowsPerDecade >= 1, columnsPerGap >= 1.
    PseudosectionGrid(const std::vector<StationSamples>& stations, int rowsPerDecade, int columnsPerGap);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    bool empty() const { return columns_ == 0 || rows_ == 0; }

    // Value of a node in scale space; NaN for a hole.
    double at(int column, int row) const {
        return values_[static_cast<std::size_t>(row) * columns_ + column];
    }
    // Row-major values (row * columns() + column).
    const std::vector<double>& values() const { return values_; }

    // Position along the line (m) of a column, and of a fractional column (linear within a gap).
    double x(int column) const { return x_[static_cast<std::size_t>(column)]; }
    double xAt(double column) const;
    // log10 AB/2 of a row and of a fractional row.
    double logAb(int row) const { return logAbMin_ + row * rowStep_; }
    double logAbAt(double row) const { return logAbMin_ + row * rowStep_; }
    double logAbMin() const { return logAbMin_; }
    double logAbMax() const { return logAbMin_ + (rows_ - 1) * rowStep_; }

    // The grid column of station k of the list the grid was built from.
    int stationColumn(std::size_t k) const { return static_cast<int>(k) * columnsPerGap_; }

private:
    int columns_ = 0;
    int rows_ = 0;
    int columnsPerGap_ = 1;
    double logAbMin_ = 0.0;
    double rowStep_ = 1.0;
    std::vector<double> x_;
    std::vector<double> values_;
};
