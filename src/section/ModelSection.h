#pragma once

#include "section/StationModel.h"
#include "section/StationPlacement.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// What the model section colours.
enum class ModelQuantity { Resistivity, Chargeability };

// A rectangle of the model section in line metres (x) and depth metres (down), with its value in
// scale space (log10 rho for resistivity, m in percent for chargeability); NaN draws nothing.
struct ModelCell {
    double left = 0.0;
    double right = 0.0;
    double top = 0.0;    // depth of the upper side
    double bottom = 0.0; // depth of the lower side
    double value = 0.0;
};

// One station's column: centred on the station, reaching half way to each neighbour (at the ends
// as far out as on the inner side).
struct ModelColumn {
    std::size_t index = 0; // the model's index in the input
    std::int32_t number = 0;
    double position = 0.0;
    double left = 0.0;
    double right = 0.0;
    double rmsPercent = NAN;
    bool valid = false; // a usable model: at least one layer, finite non-negative thicknesses
};

// Columns of coloured layers against depth for the stations of a line. The depth axis runs to
// 1.2 x the deepest interface of all models (10 m when no model has an interface). Without
// interpolation each column shows its own layers; with interpolation the space between two
// neighbouring station centres is split into `columnsPerGap` strips in which log10 rho (or m) at
// each depth goes linearly from one station to the other, where both have a value at that depth; next
// to an unusable model a station keeps its own layers up to the middle.
class ModelSection {
public:
    ModelSection() = default;
    ModelSection(const std::vector<StationModel>& models, StationPlacement placement, double spacing,
                 ModelQuantity quantity, bool interpolate, int columnsPerGap = 8);

    const std::vector<ModelColumn>& columns() const { return columns_; }
    const std::vector<ModelCell>& cells() const { return cells_; }
    double maxDepth() const { return maxDepth_; }
    bool logarithmic() const { return quantity_ == ModelQuantity::Resistivity; }
    // The values of all cells as values (rho, not its log), for the colour range.
    std::vector<double> cellValues() const;

    // The value of a model at a depth in scale space, NaN where the model has none.
    static double valueAtDepth(const StationModel& model, double depth, ModelQuantity quantity);
    // The depths of a model's interfaces, from the top down.
    static std::vector<double> interfaces(const StationModel& model);
    static bool usable(const StationModel& model);

private:
    void addOwnCells(const StationModel& model, double left, double right);
    void addBlendedStrip(const StationModel& a, const StationModel& b, double left, double right, double t);

    ModelQuantity quantity_ = ModelQuantity::Resistivity;
    double maxDepth_ = 0.0;
    std::vector<ModelColumn> columns_;
    std::vector<ModelCell> cells_;
};
