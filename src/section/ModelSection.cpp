#include "section/ModelSection.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr double depthMargin = 1.2;
constexpr double depthWithoutInterfaces = 10.0;

double layerValue(const StationModel& model, std::size_t i, ModelQuantity quantity) {
    const auto& layer = model.earth.layers[i];
    if (quantity == ModelQuantity::Resistivity)
        return std::isfinite(layer.rho) && layer.rho > 0.0 ? std::log10(layer.rho) : NAN;
    return model.withChargeability && std::isfinite(layer.m) ? layer.m : NAN;
}

} // namespace

bool ModelSection::usable(const StationModel& model) {
    if (model.earth.layers.empty())
        return false;
    for (std::size_t i = 0; i + 1 < model.earth.layers.size(); ++i) {
        const double h = model.earth.layers[i].thk;
        if (!std::isfinite(h) || h < 0.0)
            return false;
    }
    return true;
}

std::vector<double> ModelSection::interfaces(const StationModel& model) {
    std::vector<double> depths;
    double depth = 0.0;
    for (std::size_t i = 0; i + 1 < model.earth.layers.size(); ++i) {
        depth += model.earth.layers[i].thk;
        depths.push_back(depth);
    }
    return depths;
}

double ModelSection::valueAtDepth(const StationModel& model, double depth, ModelQuantity quantity) {
    if (!usable(model) || !(depth >= 0.0))
        return NAN;
    double bottom = 0.0;
    for (std::size_t i = 0; i + 1 < model.earth.layers.size(); ++i) {
        bottom += model.earth.layers[i].thk;
        if (depth < bottom)
            return layerValue(model, i, quantity);
    }
    return layerValue(model, model.earth.layers.size() - 1, quantity);
}

ModelSection::ModelSection(const std::vector<StationModel>& models, StationPlacement placement,
                           double spacing, ModelQuantity quantity, bool interpolate, int columnsPerGap)
    : quantity_(quantity) {
    // Columns by position; the first model at a position wins.
    std::map<double, ModelColumn> byPosition;
    for (std::size_t k = 0; k < models.size(); ++k) {
        const double position = stationPosition(models[k].stationNumber, k, placement, spacing);
        ModelColumn column;
        column.index = k;
        column.number = models[k].stationNumber;
        column.position = position;
        column.rmsPercent = models[k].rmsPercent;
        column.valid = usable(models[k]);
        byPosition.try_emplace(position, column);
    }
    for (const auto& [position, column] : byPosition)
        columns_.push_back(column);

    double deepest = 0.0;
    for (const ModelColumn& column : columns_) {
        if (!column.valid)
            continue;
        const std::vector<double> depths = interfaces(models[column.index]);
        if (!depths.empty())
            deepest = std::max(deepest, depths.back());
    }
    maxDepth_ = deepest > 0.0 ? depthMargin * deepest : depthWithoutInterfaces;

    const std::size_t n = columns_.size();
    for (std::size_t k = 0; k < n; ++k) {
        ModelColumn& column = columns_[k];
        const double before = k > 0 ? (column.position - columns_[k - 1].position) / 2.0 : 0.0;
        const double after = k + 1 < n ? (columns_[k + 1].position - column.position) / 2.0 : 0.0;
        column.left = column.position - (k > 0 ? before : after);
        column.right = column.position + (k + 1 < n ? after : before);
    }

    const int strips = std::max(1, columnsPerGap);
    for (std::size_t k = 0; k < n; ++k) {
        const ModelColumn& column = columns_[k];
        const StationModel& model = models[column.index];
        if (!interpolate || n < 2) {
            addOwnCells(model, column.left, column.right);
            continue;
        }
        // The outer half of the end columns keeps the station's own layers.
        if (k == 0)
            addOwnCells(model, column.left, column.position);
        if (k + 1 == n) {
            addOwnCells(model, column.position, column.right);
            continue;
        }
        const ModelColumn& next = columns_[k + 1];
        if (!column.valid || !next.valid) {
            // Nothing to blend with: each side keeps its own layers up to the middle.
            addOwnCells(model, column.position, column.right);
            addOwnCells(models[next.index], next.left, next.position);
            continue;
        }
        const double width = (next.position - column.position) / strips;
        for (int j = 0; j < strips; ++j) {
            const double left = column.position + j * width;
            const double t = (j + 0.5) / strips;
            addBlendedStrip(model, models[next.index], left, left + width, t);
        }
    }
}

void ModelSection::addOwnCells(const StationModel& model, double left, double right) {
    if (!usable(model) || !(right > left))
        return;
    double top = 0.0;
    for (std::size_t i = 0; i < model.earth.layers.size() && top < maxDepth_; ++i) {
        const bool last = i + 1 == model.earth.layers.size();
        const double bottom = last ? maxDepth_ : std::min(maxDepth_, top + model.earth.layers[i].thk);
        if (bottom > top)
            cells_.push_back({left, right, top, bottom, layerValue(model, i, quantity_)});
        top = bottom;
    }
}

void ModelSection::addBlendedStrip(const StationModel& a, const StationModel& b, double left, double right,
                                   double t) {
    if (!usable(a) || !usable(b))
        return;
    // Both models are constant between their interfaces, so the blend is constant between the
    // interfaces of either.
    std::vector<double> breaks = interfaces(a);
    const std::vector<double> more = interfaces(b);
    breaks.insert(breaks.end(), more.begin(), more.end());
    breaks.push_back(0.0);
    breaks.push_back(maxDepth_);
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    for (std::size_t i = 0; i + 1 < breaks.size() && breaks[i] < maxDepth_; ++i) {
        const double top = breaks[i];
        const double bottom = std::min(breaks[i + 1], maxDepth_);
        if (!(bottom > top))
            continue;
        const double middle = (top + bottom) / 2.0;
        const double va = valueAtDepth(a, middle, quantity_);
        const double vb = valueAtDepth(b, middle, quantity_);
        const double value = std::isnan(va) || std::isnan(vb) ? NAN : va * (1.0 - t) + vb * t;
        cells_.push_back({left, right, top, bottom, value});
    }
}

std::vector<double> ModelSection::cellValues() const {
    std::vector<double> values;
    values.reserve(cells_.size());
    for (const ModelCell& cell : cells_)
        values.push_back(logarithmic() ? std::pow(10.0, cell.value) : cell.value);
    return values;
}
