#include "sheet/ModelDrag.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

// One axis's mapping between values and a logical coordinate, as the curves and the overlay map them.
struct Scale {
    double origin = 0.0; // logical coordinate of `low`
    double length = 0.0; // logical units from `low` to `high`
    double low = 1.0;
    double high = 10.0;
    bool log = false;

    bool usable() const {
        return std::isfinite(origin) && std::isfinite(length) && length != 0.0 && std::isfinite(low) &&
               std::isfinite(high) && low != high && (!log || (low > 0.0 && high > 0.0));
    }
    double coordinate(double value) const {
        if (log)
            return value > 0.0 ? origin + std::log10(value / low) / std::log10(high / low) * length
                               : std::numeric_limits<double>::quiet_NaN();
        return origin + (value - low) / (high - low) * length;
    }
    double value(double coordinate) const {
        const double t = (coordinate - origin) / length;
        return log ? low * std::pow(high / low, t) : low + (high - low) * t;
    }
    // `v` kept inside the axis's range.
    double clamp(double v) const { return std::clamp(v, std::min(low, high), std::max(low, high)); }
};

Scale scaleOf(const Axis& axis, double origin, double length) {
    return {origin, length, axis.rangeMin, axis.rangeMax, axis.logarithmic};
}

// The model the sheet shows for the selected station, or none.
const model::LayeredModel* shownModel(const SheetState& state, const PlotChoices& choices) {
    if (!state.stationModel || state.stationModel->earth.layers.empty())
        return nullptr;
    if (choices.stationIndex < 0 || static_cast<std::size_t>(choices.stationIndex) >= state.stations.size())
        return nullptr;
    const Station& station = state.stations[static_cast<std::size_t>(choices.stationIndex)];
    if (!station.stationNumber.empty() && station.stationNumber.front() != state.stationModel->stationNumber)
        return nullptr;
    return &state.stationModel->earth;
}

// A thickness stays at least this share of a neighbour's depth, so that interfaces never meet.
constexpr double minimumShare = 0.01;
constexpr double minimumThickness = 1e-3; // m

} // namespace

std::optional<ModelDrag> ModelDrag::grab(const SheetState& state, const PlotChoices& choices, Point at) {
    const model::LayeredModel* earth = shownModel(state, choices);
    const Scale x = scaleOf(state.bottomAxis, state.originX, state.xLength);
    const Scale y = scaleOf(state.leftAxis, state.originY, state.yLength);
    if (!earth || !x.usable() || !y.usable())
        return std::nullopt;
    const double left = std::min<double>(state.originX, state.originX + state.xLength);
    const double right = std::max<double>(state.originX, state.originX + state.xLength);
    const double bottom = std::min<double>(state.originY, state.originY + state.yLength);
    const double top = std::max<double>(state.originY, state.originY + state.yLength);
    if (at.x < left - modelHitRadius || at.x > right + modelHitRadius || at.y < bottom - modelHitRadius ||
        at.y > top + modelHitRadius)
        return std::nullopt;

    const std::vector<model::Layer>& layers = earth->layers;
    // Interfaces first: where a vertical piece meets a horizontal one, the corner moves the depth.
    std::optional<std::pair<Piece, std::size_t>> best;
    double bestDistance = modelHitRadius;
    double depth = 0.0;
    std::vector<double> interfaces; // x of each layer's bottom
    for (std::size_t i = 0; i + 1 < layers.size(); ++i) {
        depth += layers[i].thk;
        interfaces.push_back(x.coordinate(depth));
    }
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        const double ix = interfaces[i];
        const double y1 = y.coordinate(layers[i].rho);
        const double y2 = y.coordinate(layers[i + 1].rho);
        if (!std::isfinite(ix) || !std::isfinite(y1) || !std::isfinite(y2) || layers[i].fixedThk)
            continue;
        const double distance = std::fabs(at.x - ix);
        const double beyond = std::max({0.0, std::min(y1, y2) - at.y, at.y - std::max(y1, y2)});
        if (distance < bestDistance && beyond <= modelHitRadius) {
            bestDistance = distance;
            best = {Piece::Interface, i};
        }
    }
    if (!best) {
        for (std::size_t i = 0; i < layers.size(); ++i) {
            const double ly = y.coordinate(layers[i].rho);
            const double from = i == 0 ? -std::numeric_limits<double>::infinity() : interfaces[i - 1];
            const double to = i < interfaces.size() ? interfaces[i] : std::numeric_limits<double>::infinity();
            if (!std::isfinite(ly) || layers[i].fixedRho)
                continue;
            const double distance = std::fabs(at.y - ly);
            const bool along = at.x >= std::min(from, to) && at.x <= std::max(from, to);
            if (along && distance < bestDistance) {
                bestDistance = distance;
                best = {Piece::Resistivity, i};
            }
        }
    }
    if (!best)
        return std::nullopt;
    return ModelDrag(best->first, best->second, *earth);
}

model::LayeredModel ModelDrag::movedTo(const SheetState& state, Point at) const {
    model::LayeredModel moved = start;
    for (model::Layer& layer : moved.layers) {
        layer.rhoRange.reset();
        layer.thkRange.reset();
    }
    std::vector<model::Layer>& layers = moved.layers;
    if (grabbedPiece == Piece::Resistivity) {
        const Scale y = scaleOf(state.leftAxis, state.originY, state.yLength);
        const double rho = y.clamp(y.value(at.y));
        if (y.usable() && std::isfinite(rho) && rho > 0.0)
            layers[grabbedLayer].rho = rho;
        return moved;
    }
    const Scale x = scaleOf(state.bottomAxis, state.originX, state.xLength);
    double top = 0.0; // depth of the grabbed layer's top, m
    for (std::size_t i = 0; i < grabbedLayer; ++i)
        top += layers[i].thk;
    double wanted = x.clamp(x.value(at.x));
    if (!x.usable() || !std::isfinite(wanted))
        return moved;
    const std::size_t next = grabbedLayer + 1;
    // The next interface stays put when the next layer's thickness may change.
    const bool nextGives = next + 1 < layers.size() && !layers[next].fixedThk;
    const double low = top + std::max(minimumThickness, top * minimumShare);
    wanted = std::max(wanted, low);
    if (nextGives) {
        const double nextDepth = top + layers[grabbedLayer].thk + layers[next].thk;
        const double high = nextDepth - std::max(minimumThickness, nextDepth * minimumShare);
        if (high <= low)
            return moved;
        wanted = std::min(wanted, high);
        layers[next].thk = nextDepth - wanted;
    }
    layers[grabbedLayer].thk = wanted - top;
    return moved;
}
