#include "sheet/ModelOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

#include "core/Conversions.h"
#include "core/Gbk.h"
#include "model/ForwardModel.h"
#include "plot/Geometry.h"
#include "plot/PlotItem.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr int pointsPerDecade = 20;
constexpr int maxResponsePoints = 4001; // a very wide axis still gets a bounded line
constexpr int linearResponsePoints = 201;

// The table, in logical units.
constexpr int tableFontHeight = 32;
constexpr int tableFontWidth = 16;
constexpr int tableRowStep = 44;
constexpr int tablePadding = 15;
constexpr int tableColumnGap = 30;
constexpr int tableMargin = 30;          // from the frame's right and bottom sides
constexpr int ruleGap = 8;               // between the header and its rule, and the rule and the first row
constexpr double tableHeightShare = 0.6; // of the frame's height, at most

// The table's height with `rows` rows under the header.
int tableHeight(int rows) {
    return 2 * tablePadding + tableFontHeight + 2 * ruleGap + (rows - 1) * tableRowStep + tableFontHeight;
}

struct DoublePoint {
    double x = 0.0;
    double y = 0.0;
};
using DoublePolyline = std::vector<DoublePoint>;

// One axis's mapping of values to a logical coordinate, as Curve::computePoints maps them.
struct AxisMap {
    double origin = 0.0; // logical coordinate of rangeMin
    double length = 0.0; // logical units from rangeMin to rangeMax
    double low = 1.0;
    double high = 10.0;
    bool log = false;

    bool usable() const {
        if (!std::isfinite(origin) || !std::isfinite(length) || !std::isfinite(low) || !std::isfinite(high) ||
            low == high)
            return false;
        return !log || (low > 0.0 && high > 0.0);
    }
    // NaN for a value that cannot be mapped.
    double at(double value) const {
        if (!std::isfinite(value))
            return nan;
        if (log) {
            if (value <= 0.0)
                return nan;
            return origin +
                   (std::log10(value) - std::log10(low)) / (std::log10(high) - std::log10(low)) * length;
        }
        return origin + (value - low) / (high - low) * length;
    }
};

AxisMap mapOf(const Axis& axis, float origin, float length) {
    return {origin, length, axis.rangeMin, axis.rangeMax, axis.logarithmic};
}

struct Frame {
    double left = 0.0, bottom = 0.0, right = 0.0, top = 0.0;

    bool usable() const {
        return std::isfinite(left) && std::isfinite(right) && std::isfinite(bottom) && std::isfinite(top);
    }
    bool contains(double x, double y) const {
        return x >= std::min(left, right) && x <= std::max(left, right) && y >= std::min(bottom, top) &&
               y <= std::max(bottom, top);
    }
};

int logical(double value) {
    return toCoord(std::round(value));
}

// Liang–Barsky: the part of the segment a–b inside the frame (edges included), as parameters t0 <= t1.
std::optional<std::pair<double, double>> clipSegment(const Frame& f, DoublePoint a, DoublePoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - f.left, f.right - a.x, a.y - f.bottom, f.top - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return std::nullopt;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1)
            return std::nullopt;
    }
    return std::make_pair(t0, t1);
}

DoublePoint along(DoublePoint a, DoublePoint b, double t) {
    if (t == 0.0)
        return a;
    if (t == 1.0)
        return b;
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// The pieces of a line inside the frame. A point with a NaN coordinate breaks the line.
std::vector<DoublePolyline> clipToFrame(const DoublePolyline& line, const Frame& frame) {
    std::vector<DoublePolyline> pieces;
    bool open = false; // the last piece ends where the next segment starts
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const DoublePoint a = line[i];
        const DoublePoint b = line[i + 1];
        if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) {
            open = false;
            continue;
        }
        const auto part = clipSegment(frame, a, b);
        if (!part) {
            open = false;
            continue;
        }
        if (!open || part->first > 0.0)
            pieces.push_back({along(a, b, part->first)});
        pieces.back().push_back(along(a, b, part->second));
        open = part->second == 1.0;
    }
    return pieces;
}

// Rounded to logical units, repeated points dropped; a piece that shrinks to one point is left out.
void appendRounded(std::vector<LogicalPolyline>& out, const std::vector<DoublePolyline>& pieces) {
    for (const DoublePolyline& piece : pieces) {
        LogicalPolyline points;
        for (const DoublePoint& p : piece) {
            const Point q{logical(p.x), logical(p.y)};
            if (points.empty() || !(points.back() == q))
                points.push_back(q);
        }
        if (points.size() >= 2)
            out.push_back(std::move(points));
    }
}

// Dashes along a line in double precision, starting with a dash.
std::vector<DoublePolyline> dashes(const DoublePolyline& line) {
    std::vector<DoublePolyline> out;
    bool on = true;
    double left = dashLength; // of the current dash or gap
    DoublePolyline dash;
    if (!line.empty())
        dash.push_back(line.front());
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        DoublePoint a = line[i];
        const DoublePoint b = line[i + 1];
        double length = std::hypot(b.x - a.x, b.y - a.y);
        while (length >= left) {
            const DoublePoint cut = along(a, b, left / length);
            if (on) {
                dash.push_back(cut);
                out.push_back(std::move(dash));
                dash.clear();
            } else {
                dash = {cut};
            }
            on = !on;
            length -= left;
            a = cut;
            left = on ? dashLength : dashGap;
        }
        left -= length;
        if (on)
            dash.push_back(b);
    }
    if (on && dash.size() >= 2)
        out.push_back(std::move(dash));
    return out;
}

// AB/2 values over the bottom axis: pointsPerDecade a decade on a log axis.
std::vector<double> sampleAxis(const AxisMap& x) {
    const double low = std::min(x.low, x.high);
    const double high = std::max(x.low, x.high);
    std::vector<double> values;
    if (x.log) {
        const double a = std::log10(low);
        const double b = std::log10(high);
        const double steps = std::ceil((b - a) * pointsPerDecade - 1e-9);
        const int n = static_cast<int>(std::clamp(steps, 1.0, static_cast<double>(maxResponsePoints - 1)));
        for (int k = 0; k <= n; ++k)
            values.push_back(k == 0 ? low : k == n ? high : std::pow(10.0, a + (b - a) * k / n));
    } else {
        const int n = linearResponsePoints - 1;
        for (int k = 0; k <= n; ++k)
            values.push_back(low + (high - low) * k / n);
    }
    return values;
}

DoublePolyline mapped(const AxisMap& x, const std::vector<double>& xs, const AxisMap& y,
                      const std::vector<double>& ys) {
    DoublePolyline line;
    line.reserve(xs.size());
    for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i)
        line.push_back({x.at(xs[i]), y.at(ys[i])});
    return line;
}

bool hasChargeability(const model::LayeredModel& earth) {
    for (const model::Layer& layer : earth.layers)
        if (std::isfinite(layer.m) && layer.m != 0.0)
            return true;
    return false;
}

// The step line of the layered model, or nothing when a layer's values cannot be drawn.
DoublePolyline stepLine(const model::LayeredModel& earth, const AxisMap& x, const AxisMap& y,
                        const Frame& f) {
    DoublePolyline line;
    if (earth.layers.empty())
        return line;
    double depth = 0.0;
    std::vector<double> bottoms; // x of each interface
    for (std::size_t i = 0; i + 1 < earth.layers.size(); ++i) {
        depth += earth.layers[i].thk;
        const double at = x.at(depth);
        if (!(earth.layers[i].thk > 0.0) || !std::isfinite(at))
            return {};
        bottoms.push_back(at);
    }
    const double leftEnd = std::min(f.left, f.right);
    const double rightEnd = std::max(f.left, f.right);
    const bool increasing = (x.length >= 0.0) == (x.high >= x.low);
    const double start = increasing ? leftEnd : rightEnd;
    const double end = increasing ? rightEnd : leftEnd;
    // Before the axis's start or beyond its end an interface still keeps the line in depth order.
    double previous =
        bottoms.empty() ? start
                        : (increasing ? std::min(start, bottoms.front()) : std::max(start, bottoms.front()));
    for (std::size_t i = 0; i < earth.layers.size(); ++i) {
        const double rho = y.at(earth.layers[i].rho);
        if (!std::isfinite(rho))
            return {};
        double next = i < bottoms.size() ? bottoms[i]
                                         : (increasing ? std::max(end, previous) : std::min(end, previous));
        line.push_back({previous, rho});
        line.push_back({next, rho});
        previous = next;
    }
    return line;
}

void drawPieces(Canvas& canvas, const std::vector<LogicalPolyline>& pieces, const Pen& pen) {
    if (pieces.empty())
        return;
    canvas.setPen(pen);
    for (const LogicalPolyline& piece : pieces)
        canvas.polyline(piece);
}

LogFont tableFont() {
    LogFont font = defaultItemFont();
    font.height = tableFontHeight;
    font.width = tableFontWidth;
    return font;
}

int textWidth(const std::string& text) {
    return gbkByteLength(text) * tableFontWidth;
}

using TableRows = std::vector<std::vector<std::string>>;

// The table's text: a header, a row per layer (its values with their ranges, the depth of its base,
// the chargeability when the model has any), and the fit's RMS line (empty for a typed model).
TableRows tableRows(const SheetModel& sheetModel, std::string& rms) {
    const model::LayeredModel& earth = sheetModel.earth;
    const bool withM = hasChargeability(earth);
    TableRows rows;
    rows.push_back({"层", "电阻率(Ω·m)", "厚度(m)", "深度(m)"});
    if (withM)
        rows.front().push_back("极化率(%)");
    double depth = 0.0;
    for (std::size_t i = 0; i < earth.layers.size(); ++i) {
        const model::Layer& layer = earth.layers[i];
        std::vector<std::string> row{std::to_string(i + 1), modelValueText(layer.rho, layer.rhoRange)};
        if (i + 1 < earth.layers.size()) {
            depth += layer.thk;
            row.push_back(modelValueText(layer.thk, layer.thkRange));
            row.push_back(modelTableNumber(depth));
        } else {
            row.push_back("—");
            row.push_back("—");
        }
        if (withM)
            row.push_back(std::isfinite(layer.m) ? formatPattern(layer.m, "0.0") : "—");
        rows.push_back(std::move(row));
    }
    rms.clear();
    if (sheetModel.fitted && std::isfinite(sheetModel.report.rmsPercent))
        rms = "RMS = " + formatPattern(sheetModel.report.rmsPercent, "0.0") + " %";
    return rows;
}

// The table takes at most tableHeightShare of the frame's height: the layers that fit, else the first
// ones and a summary line that counts them all. False when not even one layer and the summary fit.
bool fitTableRows(TableRows& rows, const std::string& rms, double frameHeight, std::string& summary) {
    const int extra = rms.empty() ? 0 : 1;
    const double room = frameHeight * tableHeightShare - tableHeight(1);
    const std::size_t layerRows = rows.size() - 1;
    const std::size_t fitting =
        room < 0.0 ? 0
                   : static_cast<std::size_t>(std::max(0.0, std::floor(room / tableRowStep) + 1.0 - extra));
    if (layerRows > fitting) {
        if (fitting < 2)
            return false;
        rows.resize(fitting); // the header and fitting − 1 layers, then the summary
        summary = "… 共 " + std::to_string(layerRows) + " 层";
    }
    return true;
}

// The cells of the table from its top down, each centred in its column, then the summary and RMS lines.
void placeTableCells(ModelOverlay::Table& table, const TableRows& rows, const std::vector<int>& widths,
                     const std::string& summary, const std::string& rms) {
    int y = table.top - tablePadding;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        int x = table.left + tablePadding;
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const int offset = (widths[c] - textWidth(rows[r][c])) / 2;
            table.cells.push_back({{x + offset, y}, rows[r][c]});
            x += widths[c] + tableColumnGap;
        }
        if (r == 0) {
            table.ruleY = y - tableFontHeight - ruleGap;
            y = table.ruleY - ruleGap;
        } else {
            y -= tableRowStep;
        }
    }
    for (const std::string* line : {&summary, &rms}) {
        if (line->empty())
            continue;
        table.cells.push_back({{table.left + tablePadding, y}, *line});
        y -= tableRowStep;
    }
}

void layOutTable(ModelOverlay::Table& table, const SheetModel& sheetModel, const Frame& frame) {
    std::string rms;
    TableRows rows = tableRows(sheetModel, rms);
    const double frameWidth = std::fabs(frame.right - frame.left);
    const double frameHeight = std::fabs(frame.top - frame.bottom);
    std::string summary;
    if (!fitTableRows(rows, rms, frameHeight, summary))
        return;
    const int extra = rms.empty() ? 0 : 1;

    const std::size_t columns = rows.front().size();
    std::vector<int> widths(columns, 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], textWidth(row[c]));
    int width = 2 * tablePadding + tableColumnGap * static_cast<int>(columns - 1);
    for (int w : widths)
        width += w;
    width = std::max({width, 2 * tablePadding + textWidth(rms), 2 * tablePadding + textWidth(summary)});
    const int height = tableHeight(static_cast<int>(rows.size()) - 1 + (summary.empty() ? 0 : 1) + extra);
    if (width + 2 * tableMargin > frameWidth || height + 2 * tableMargin > frameHeight)
        return;

    table.shown = true;
    table.font = tableFont();
    table.corner = ModelOverlay::Corner::LowerRight;
    table.right = logical(std::max(frame.left, frame.right) - tableMargin);
    table.bottom = logical(std::min(frame.bottom, frame.top) + tableMargin);
    table.left = table.right - width;
    table.top = table.bottom + height;
    placeTableCells(table, rows, widths, summary, rms);
}

// Moves a table laid out in the lower right corner to the corner of the frame (all but the upper right,
// where the legend is) that covers the fewest of `readings`; the lower right while it ties.
void placeTable(ModelOverlay::Table& table, const Frame& frame, const std::vector<DoublePoint>& readings) {
    if (!table.shown)
        return;
    const int width = table.right - table.left;
    const int height = table.top - table.bottom;
    const int lowLeft = logical(std::min(frame.left, frame.right) + tableMargin);
    const int highTop = logical(std::max(frame.bottom, frame.top) - tableMargin);
    struct Place {
        ModelOverlay::Corner corner;
        int left, bottom;
    };
    const Place places[] = {{ModelOverlay::Corner::LowerRight, table.left, table.bottom},
                            {ModelOverlay::Corner::LowerLeft, lowLeft, table.bottom},
                            {ModelOverlay::Corner::UpperLeft, lowLeft, highTop - height}};
    const Place* best = &places[0];
    std::size_t fewest = static_cast<std::size_t>(-1);
    for (const Place& place : places) {
        std::size_t covered = 0;
        for (const DoublePoint& p : readings)
            if (p.x >= place.left - tableMargin && p.x <= place.left + width + tableMargin &&
                p.y >= place.bottom - tableMargin && p.y <= place.bottom + height + tableMargin)
                ++covered;
        if (covered < fewest) {
            fewest = covered;
            best = &place;
        }
    }
    const int dx = best->left - table.left;
    const int dy = best->bottom - table.bottom;
    table.corner = best->corner;
    table.left += dx;
    table.right += dx;
    table.bottom += dy;
    table.top += dy;
    table.ruleY += dy;
    for (ModelOverlay::Cell& cell : table.cells)
        cell.at = {cell.at.x + dx, cell.at.y + dy};
}

} // namespace

std::string modelTableNumber(double value) {
    if (!std::isfinite(value))
        return "—";
    const double size = std::fabs(value);
    if (size >= 99.95)
        return formatPattern(value, "0");
    if (size >= 9.995)
        return formatPattern(value, "0.0");
    if (size >= 0.9995)
        return formatPattern(value, "0.00");
    if (size >= 0.001 || size == 0.0)
        return formatPattern(value, "0.000");
    return formatPattern(value, "0.00E+00");
}

std::string modelRangeText(const std::optional<double>& low, const std::optional<double>& high) {
    if (low && high)
        return modelTableNumber(*low) + "–" + modelTableNumber(*high);
    if (low)
        return "> " + modelTableNumber(*low);
    if (high)
        return "< " + modelTableNumber(*high);
    return "未定";
}

std::string modelValueText(double value, const std::optional<model::ValueRange>& range) {
    if (!range)
        return modelTableNumber(value);
    if (range->low && range->high)
        return modelTableNumber(value) + " (" + modelRangeText(range->low, range->high) + ")";
    return modelRangeText(range->low, range->high);
}

std::vector<LogicalPolyline> dashedPolyline(const LogicalPolyline& line) {
    DoublePolyline points;
    for (const Point& p : line)
        points.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
    std::vector<LogicalPolyline> out;
    appendRounded(out, dashes(points));
    return out;
}

namespace {

// The station the sheet shows, when the choices select one.
const Station* shownStation(const SheetState& state, const PlotChoices& choices) {
    if (choices.stationIndex < 0 || static_cast<std::size_t>(choices.stationIndex) >= state.stations.size())
        return nullptr;
    return &state.stations[static_cast<std::size_t>(choices.stationIndex)];
}

// The readings of each segment, corrected and in AB/2 order, when a factor differs from 1.
std::vector<DoublePolyline> correctedSegments(const Station& station, const SheetState& state,
                                              const model::FitReport& report, const AxisMap& x,
                                              const AxisMap& y) {
    std::vector<DoublePolyline> out;
    if (std::all_of(report.segments.begin(), report.segments.end(),
                    [](const model::SegmentFactor& segment) { return segment.factor == 1.0; }))
        return out;
    for (const model::SegmentFactor& segment : report.segments) {
        std::vector<std::pair<double, double>> readings;
        for (std::size_t i = 0; i < station.size(); ++i) {
            const double mn2 = i < station.mnHalf.size() ? station.mnHalf[i] : 0.0;
            if (mn2 != segment.mn2 || std::find(state.maskedPoints.begin(), state.maskedPoints.end(), i) !=
                                          state.maskedPoints.end())
                continue;
            readings.emplace_back(station.abHalf[i], segment.factor * station.resistivity[i]);
        }
        std::stable_sort(readings.begin(), readings.end());
        DoublePolyline line;
        for (const auto& [ab2, rho] : readings) {
            const DoublePoint p{x.at(ab2), y.at(rho)};
            if (std::isfinite(p.x) && std::isfinite(p.y))
                line.push_back(p);
        }
        if (!line.empty())
            out.push_back(std::move(line));
    }
    return out;
}

} // namespace

ModelOverlay ModelOverlay::compute(const SheetState& state, const PlotChoices& choices) {
    ModelOverlay overlay;
    const Station* station = shownStation(state, choices);
    if (state.stationModel && station && !station->stationNumber.empty() &&
        station->stationNumber.front() != state.stationModel->stationNumber)
        return overlay;

    const Frame frame{state.originX, state.originY, static_cast<double>(state.originX) + state.xLength,
                      static_cast<double>(state.originY) + state.yLength};
    const AxisMap x = mapOf(state.bottomAxis, state.originX, state.xLength);
    const AxisMap rho = mapOf(state.leftAxis, state.originY, state.yLength);
    const AxisMap ip = mapOf(state.rightAxis, state.originY, state.yLength);
    if (!frame.usable() || !x.usable())
        return overlay;
    if (station && rho.usable() && choices.ticked[Quantity::Res]) {
        for (std::size_t i : state.maskedPoints) {
            if (i >= station->size())
                continue;
            const DoublePoint p{x.at(station->abHalf[i]), rho.at(station->resistivity[i])};
            if (std::isfinite(p.x) && std::isfinite(p.y) && frame.contains(p.x, p.y))
                overlay.masked.push_back({logical(p.x), logical(p.y)});
        }
    }
    if (!state.stationModel)
        return overlay;
    const SheetModel& sheetModel = *state.stationModel;
    const model::LayeredModel& earth = sheetModel.earth;

    if (rho.usable()) {
        appendRounded(overlay.layers, clipToFrame(stepLine(earth, x, rho, frame), frame));
        const std::vector<double> ab2 = sampleAxis(x);
        const std::vector<double> rhoa = model::apparentResistivity(earth, ab2);
        appendRounded(overlay.response, clipToFrame(mapped(x, ab2, rho, rhoa), frame));
        if (station && choices.ticked[Quantity::Res]) {
            for (const DoublePolyline& piece : correctedSegments(*station, state, sheetModel.report, x, rho))
                appendRounded(overlay.corrected, clipToFrame(piece, frame));
            overlay.correctedPen = Pen{state.resCurve.penStyle, std::max(state.resCurve.penWidth, 3),
                                       state.resCurve.color, PenMode::Copy};
        }
    }
    if (choices.ticked[Quantity::M1] && hasChargeability(earth) && ip.usable()) {
        const std::vector<double> ab2 = sampleAxis(x);
        const std::vector<double> ma = model::apparentChargeability(earth, ab2);
        for (const DoublePolyline& piece : clipToFrame(mapped(x, ab2, ip, ma), frame))
            appendRounded(overlay.chargeability, dashes(piece));
    }
    if (sheetModel.showTable && !earth.layers.empty()) {
        layOutTable(overlay.table, sheetModel, frame);
        std::vector<DoublePoint> readings;
        if (station && rho.usable())
            for (std::size_t i = 0; i < station->size(); ++i)
                readings.push_back({x.at(station->abHalf[i]), rho.at(station->resistivity[i])});
        placeTable(overlay.table, frame, readings);
    }
    return overlay;
}

std::optional<std::size_t> ModelOverlay::readingAt(const SheetState& state, const PlotChoices& choices,
                                                   int px, int py) {
    const Station* station = shownStation(state, choices);
    const AxisMap x = mapOf(state.bottomAxis, state.originX, state.xLength);
    const AxisMap rho = mapOf(state.leftAxis, state.originY, state.yLength);
    if (!station || !choices.ticked[Quantity::Res] || !x.usable() || !rho.usable())
        return std::nullopt;
    std::optional<std::size_t> nearest;
    double best = static_cast<double>(readingHitRadius) * readingHitRadius;
    for (std::size_t i = 0; i < station->size(); ++i) {
        const double dx = x.at(station->abHalf[i]) - px;
        const double dy = rho.at(station->resistivity[i]) - py;
        const double distance = dx * dx + dy * dy;
        if (distance <= best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

void ModelOverlay::drawLines(Canvas& canvas) const {
    const Pen saved = canvas.pen();
    drawPieces(canvas, corrected, correctedPen);
    drawPieces(canvas, layers, modelpen::layers);
    drawPieces(canvas, response, modelpen::response);
    drawPieces(canvas, chargeability, modelpen::chargeability);
    canvas.setPen(saved);
}

void ModelOverlay::drawTable(Canvas& canvas) const {
    if (!table.shown)
        return;
    const CanvasStateGuard guard(canvas);
    canvas.setPen(Pen{PenStyle::Solid, 1, colors::black, PenMode::Copy});
    canvas.setBrushStyle(BrushStyle::Solid);
    canvas.setBrushColor(colors::white);
    canvas.rectangle(table.left, table.top, table.right, table.bottom);
    canvas.moveTo(table.left, table.ruleY);
    canvas.lineTo(table.right, table.ruleY);
    canvas.setFont(table.font);
    canvas.setFontColor(colors::black);
    for (const Cell& cell : table.cells)
        canvas.textOut(cell.at.x, cell.at.y, cell.text);
}

void ModelOverlay::drawMasked(Canvas& canvas) const {
    if (masked.empty())
        return;
    const CanvasStateGuard guard(canvas);
    canvas.setPen(maskedPen);
    canvas.setBrushStyle(BrushStyle::Solid);
    canvas.setBrushColor(colors::white);
    for (const Point& p : masked)
        canvas.ellipse(p.x - maskedRadius, p.y + maskedRadius, p.x + maskedRadius, p.y - maskedRadius);
}

void ModelOverlay::draw(Canvas& canvas) const {
    drawLines(canvas);
    drawMasked(canvas);
    drawTable(canvas);
}

std::vector<ModelOverlay::LegendLine> ModelOverlay::legendLines() const {
    std::vector<LegendLine> lines;
    if (!corrected.empty())
        lines.push_back({correctedCurveLabel, correctedPen, false});
    if (!response.empty())
        lines.push_back({modelResponseLabel, modelpen::response, false});
    if (!layers.empty())
        lines.push_back({layeredModelLabel, modelpen::layers, false});
    if (!chargeability.empty())
        lines.push_back({chargeabilityResponseLabel, modelpen::chargeability, true});
    return lines;
}
