#include "sheet/Composer.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/Gbk.h"
#include "core/Ui.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

// Logical units.
constexpr std::int32_t titleFontHeight = 60;
constexpr std::int32_t titleFontWidth = 48;

bool isMeasurement(float v) {
    return !isMissing(v);
}

// A thin font of the sheet.
LogFont sheetFont(const char* face, std::int32_t height, std::int32_t width) {
    LogFont f;
    f.height = height;
    f.width = width;
    f.weight = 100;
    f.setFaceName(face);
    return f;
}

void setSize(LogFont& f, std::int32_t height, std::int32_t width, std::int32_t escapement) {
    f.height = height;
    f.width = width;
    f.escapement = escapement;
}

void setPoints(Axis& axis, float xa, float ya, float xb, float yb) {
    axis.x1 = xa;
    axis.y1 = ya;
    axis.x2 = xb;
    axis.y2 = yb;
}

// The top axis: AB/2 labels above the frame, its grid down through it.
void layOutTopAxis(Axis& top, float x0, float y0, float w, float h) {
    setPoints(top, x0, y0 + h, x0 + w, y0 + h);
    top.title = "AB/2(m)";
    top.showTitle = false;
    top.showLabels = true;
    top.showTicks = true;
    top.showGrid = true;
    top.gridLength = h;
    top.tickDirection = TickDirection::Up;
    top.majorIntervals = 10;
    top.majorTickLength = 15;
    top.minorTickLength = 7;
    top.titleDistance = 70;
    top.labelDistance = 28;
    setSize(top.titleFont, 40, 20, 0);
    setSize(top.labelFont, 36, 18, 0);
}

// The left axis: resistivity labels, its grid across the frame.
void layOutLeftAxis(Axis& left, float x0, float y0, float w, float h) {
    setPoints(left, x0, y0, x0, y0 + h);
    left.title = "视电阻率";
    left.showTitle = false;
    left.showLabels = true;
    left.showTicks = true;
    left.showGrid = true;
    left.gridLength = w;
    left.tickDirection = TickDirection::Left;
    left.majorIntervals = 5;
    left.majorTickLength = 15;
    left.titleDistance = 200;
    left.labelDistance = 10;
    setSize(left.titleFont, 36, 18, -900);
    setSize(left.labelFont, 36, 18, 0);
    left.titleFont.setFaceName("Arial");
    left.titleFont.weight = 100;
    left.titleFont.italic = 0;
    left.titleFont.underline = 0;
    left.titleFont.strikeOut = 0;
    left.labelFont.setFaceName("Arial");
}

// The bottom axis: ticks and labels below the frame, no grid.
void layOutBottomAxis(Axis& bottom, float x0, float y0, float w, float /*h*/) {
    setPoints(bottom, x0, y0, x0 + w, y0);
    bottom.title = "AB/2(/m)";
    bottom.showTitle = false;
    bottom.showLabels = true;
    bottom.showTicks = true;
    bottom.tickDirection = TickDirection::Down;
    bottom.majorIntervals = 4;
    bottom.majorTickLength = 15;
    bottom.minorTickLength = 7;
    bottom.titleDistance = 36;
    bottom.labelDistance = 12;
    setSize(bottom.titleFont, 36, 18, 0);
    setSize(bottom.labelFont, 36, 18, 0);
    bottom.titleFont.setFaceName("Arial");
    bottom.labelFont.setFaceName("Arial");
}

// The right axis: the IP parameters, ticks only.
void layOutRightAxis(Axis& right, float x0, float y0, float w, float h) {
    setPoints(right, x0 + w, y0, x0 + w, y0 + h);
    right.title = "视电阻率";
    right.showTitle = false;
    right.showTicks = true;
    right.showGrid = false;
    right.tickDirection = TickDirection::Right;
    right.majorIntervals = 5;
    right.majorTickLength = 15;
    right.titleDistance = 40;
    right.labelDistance = 20;
    setSize(right.titleFont, 36, 18, 900);
    setSize(right.labelFont, 36, 18, 0);
    right.titleFont.setFaceName("Arial");
    right.labelFont.setFaceName("Arial");
}

void layOutAxes(SheetState& s, float x0, float y0, float w, float h) {
    layOutTopAxis(s.topAxis, x0, y0, w, h);
    layOutLeftAxis(s.leftAxis, x0, y0, w, h);
    layOutBottomAxis(s.bottomAxis, x0, y0, w, h);
    layOutRightAxis(s.rightAxis, x0, y0, w, h);
    for (Axis* axis : {&s.topAxis, &s.leftAxis, &s.bottomAxis, &s.rightAxis}) {
        axis->limitMin = axis->rangeMin;
        axis->limitMax = axis->rangeMax;
    }
}

// `values`: the resistivity vector or one of the IP columns, read by index.
template <class Values>
void fillCurve(SheetState& s, Curve& curve, const std::vector<float>& abHalf, const Values& values,
               const Axis& yAxis, int symbol) {
    const std::size_t n = std::min(abHalf.size(), values.size());
    std::vector<float> xs;
    std::vector<float> ys;
    for (std::size_t j = 0; j < n; ++j) {
        if (isMeasurement(values[j])) {
            xs.push_back(abHalf[j]);
            ys.push_back(values[j]);
        }
    }
    if (xs.empty())
        return; // the curve keeps its other fields
    curve.x1 = s.originX;
    curve.y1 = s.originY;
    curve.xLength = s.xLength;
    curve.yLength = s.yLength;
    curve.xMin = s.bottomAxis.rangeMin;
    curve.xMax = s.bottomAxis.rangeMax;
    curve.yMin = yAxis.rangeMin;
    curve.yMax = yAxis.rangeMax;
    curve.xValues.insert(curve.xValues.end(), xs.begin(), xs.end());
    curve.yValues.insert(curve.yValues.end(), ys.begin(), ys.end());
    curve.xLog = s.bottomAxis.logarithmic;
    curve.yLog = yAxis.logarithmic;
    curve.showSymbols = true;
    curve.symbolKind = symbolKindOf(symbol);
    for (const std::string& warning : curve.computePoints())
        s.ui.showMessage(warning);
}

} // namespace

void resetBadAxisRanges(SheetState& s) {
    // In the order the sheet draws its axes.
    for (Axis* axis : {&s.topAxis, &s.bottomAxis, &s.leftAxis, &s.rightAxis}) {
        if (const std::optional<std::string> problem = axis->rangeProblem()) {
            s.ui.messageBox(*problem, "错误", MsgButtons::Ok, MsgIcon::Warning);
            axis->rangeMin = Axis::defaultLogMin;
            axis->rangeMax = Axis::defaultLogMax;
        }
    }
}

bool composeSheet(SheetState& s, const PlotChoices& choices) {
    if (choices.stationIndex < 0 || static_cast<std::size_t>(choices.stationIndex) >= s.stations.size())
        return false;

    const float x0 = s.originX;
    const float y0 = s.originY;
    const float w = s.xLength;
    const float h = s.yLength;

    TextItem& title = s.titleText;
    title.text = sheetTitle;
    title.font = sheetFont("Times New Roman", titleFontHeight, titleFontWidth);
    title.x1 = static_cast<float>(x0 + w * 0.5 - (gbkByteLength(title.text) * titleFontWidth) * 0.5);
    title.y1 = static_cast<float>(y0 + h + s.titleGapCm * 100.0);

    layOutAxes(s, x0, y0, w, h);

    for (Quantity q : recordOrder) {
        Curve& curve = s.curve(q);
        if (!curve.xValues.empty()) {
            curve.xValues.clear();
            curve.yValues.clear();
            curve.xPoints.clear();
            curve.yPoints.clear();
        }
    }
    const Station& station = s.stations[static_cast<std::size_t>(choices.stationIndex)];
    // Resistivity on the left axis, the IP parameters on the right; filled in the station record's order.
    for (Quantity q : recordOrder) {
        withValuesOf(station, q, [&](const auto& values) {
            fillCurve(s, s.curve(q), station.abHalf, values, q == Quantity::Res ? s.leftAxis : s.rightAxis,
                      choices.symbols[q]);
        });
    }

    s.leftAxis.title = std::string(quantityCode(Quantity::Res));
    // After the curves: they keep the range as it was set.
    resetBadAxisRanges(s);
    return true;
}
