#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/Canvas.h"
#include "core/Color.h"
#include "core/LogFont.h"
#include "core/Pen.h"
#include "model/ForwardModel.h"

class SheetState;
struct PlotChoices;

// The pens of the interpretation drawn over a station's curves; widths in logical units (0.1 mm).
namespace modelpen {
// The model's apparent-resistivity response: red, 0.5 mm (2 pixels at 96 dpi).
inline constexpr Pen response{PenStyle::Solid, 5, colors::red, PenMode::Copy};
// The layered model as a step line: blue, 0.4 mm.
inline constexpr Pen layers{PenStyle::Solid, 4, colors::rgb(0, 0, 255), PenMode::Copy};
// The apparent-chargeability response: red, 0.3 mm, drawn as dashes of its own (see dashLength), so that
// every output (screen, printer, PDF, SVG, bitmaps at any resolution) shows the same dashes.
inline constexpr Pen chargeability{PenStyle::Solid, 3, colors::red, PenMode::Copy};
} // namespace modelpen

// Dashes of the chargeability response, logical units along the line.
inline constexpr double dashLength = 30.0;
inline constexpr double dashGap = 15.0;

// A masked reading: a white disc with a grey outline over the reading's symbol, radius in logical units.
inline constexpr Pen maskedPen{PenStyle::Solid, 4, colors::rgb(140, 140, 140), PenMode::Copy};
inline constexpr int maskedRadius = 20;
// How near (logical units) a click must fall to a reading to mask or unmask it.
inline constexpr int readingHitRadius = 25;

// Legend labels of the overlay's lines.
inline constexpr const char* correctedCurveLabel = "分段校正曲线";
inline constexpr const char* modelResponseLabel = "模型响应";
inline constexpr const char* layeredModelLabel = "层状模型";
inline constexpr const char* chargeabilityResponseLabel = "M1 模型响应";

// A polyline in logical units.
using LogicalPolyline = std::vector<Point>;

// Splits a polyline (logical units) into dashes of dashLength with gaps of dashGap, starting with a dash.
std::vector<LogicalPolyline> dashedPolyline(const LogicalPolyline& line);

// What the sheet draws of `state.stationModel` (see SheetModel.h), computed from the sheet's frame and
// axes and ready to draw. The frame is (originX, originY)–(originX + xLength, originY + yLength) as the
// composer lays it out; AB/2 and depth are mapped on the bottom axis, resistivity on the left axis and
// chargeability on the right (IP) axis, each with its range and log flag, as the curves map their values.
// Every line is clipped to the frame; values that cannot be mapped (not finite, not positive on a log axis)
// break a line instead of being drawn. Coordinates are rounded to the nearest logical unit.
class ModelOverlay {
public:
    // Nothing when the sheet has no model, or when the station selected in `choices` has another number
    // than the model's (a model never lands on another station's sheet).
    static ModelOverlay compute(const SheetState& state, const PlotChoices& choices);

    // The lines: the layered model under the resistivity response, then the chargeability response.
    // Gives back the canvas's pen.
    void drawLines(Canvas& canvas) const;
    // The model table, when there is one. Gives back the canvas's pen, brush and font.
    void drawTable(Canvas& canvas) const;
    // The masked readings, over the curves. Gives back the canvas's pen and brush.
    void drawMasked(Canvas& canvas) const;
    // drawLines, then drawMasked and drawTable.
    void draw(Canvas& canvas) const;

    // The position (in the station's order) of the shown station's resistivity reading within
    // readingHitRadius of the logical point (x, y), the nearest one; nothing when none is that near.
    static std::optional<std::size_t> readingAt(const SheetState& state, const PlotChoices& choices, int x,
                                                int y);

    // The legend rows of the lines drawn, in the order response, layered model, chargeability response.
    struct LegendLine {
        const char* label;
        Pen pen;
        bool dashed;
    };
    std::vector<LegendLine> legendLines() const;

    bool empty() const {
        return layers.empty() && response.empty() && chargeability.empty() && corrected.empty() &&
               masked.empty() && !table.shown;
    }

    // The model's apparent-resistivity response, 20 points per decade of AB/2 over the bottom axis
    // (an ideal array), in pieces where it leaves the frame or cannot be computed.
    std::vector<LogicalPolyline> response;
    // The layered model: resistivity of each layer (left axis) from its top to its bottom depth (bottom
    // axis); the first layer starts at the axis's left end, the half-space runs to its right end.
    std::vector<LogicalPolyline> layers;
    // The apparent-chargeability response (percent, right axis) in dashes, when M1 is ticked and a layer
    // has a chargeability.
    std::vector<LogicalPolyline> chargeability;
    // The readings as the segment factors correct them (factor x measured), one piece per segment of one
    // MN/2, when a factor differs from 1; the measured curve is then drawn faint beside them.
    std::vector<LogicalPolyline> corrected;
    Pen correctedPen;
    // The masked readings' centres.
    std::vector<Point> masked;

    // The model table in a corner of the frame: the lower right, or the lower left or upper left when
    // fewer of the station's readings lie there (the legend keeps the upper right): a white box with a black
    // outline, a header row with a rule under it, a row per layer (the half-space's thickness and depth "—"),
    // and the RMS line of a fitted model. A table that would take more than 60 % of the frame's height shows
    // the first layers and a last row "… 共 N 层". No table when the model asks for none or it cannot fit the
    // frame.
    struct Cell {
        Point at; // left and top of the text
        std::string text;
    };
    enum class Corner { LowerRight, LowerLeft, UpperLeft };
    struct Table {
        bool shown = false;
        Corner corner = Corner::LowerRight;
        int left = 0, top = 0, right = 0, bottom = 0; // the box
        int ruleY = 0;                                // the rule under the header
        LogFont font;
        std::vector<Cell> cells; // header, layer rows and the RMS line, in reading order
    } table;
};

// The table's text for a number: about three significant digits, locale-independent; "—" when not finite.
std::string modelTableNumber(double value);

// A range as the tables write it: "80–96", "> 12000" when the data bound it only below, "< 0.3" when
// only above, "未定" when not at all.
std::string modelRangeText(const std::optional<double>& low, const std::optional<double>& high);

// A fitted value as the sheet's table writes it: the number with its range, "87.5 (80–96)", or, when a
// side of its range is open, the bound alone ("> 12000"): never a number the data did not determine.
std::string modelValueText(double value, const std::optional<model::ValueRange>& range);
