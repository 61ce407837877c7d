#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Canvas.h"
#include "core/Color.h"
#include "core/Pen.h"
#include "data/Quantity.h"
#include "data/Station.h"
#include "plot/Axis.h"
#include "plot/Curve.h"
#include "plot/TextItem.h"
#include "sheet/SheetModel.h"

class Ui;

// Everything the main window knows about its sheet: the stations of the loaded file, the four axes
// framing the figure, the six parameter curves, the title, the ranges derived from the data, the
// lengths, the paper size, the logical origin and the pens. Commands read and write the fields
// directly. Lengths in cm are on paper; logical units are 0.1 mm with y up.
class SheetState {
public:
    // `ui` takes the warnings of composing the sheet and must outlive the state.
    explicit SheetState(Ui& ui);
    SheetState(const SheetState&) = delete;
    SheetState& operator=(const SheetState&) = delete;

    Ui& ui;
    StationList stations; // every station of the loaded file, in file order
    float surveyMean = 0.0f;
    float anomalyThreshold = 0.0f;
    float surveyVariance = 0.0f;
    float rhoMin = 0.0f; // left axis, whole decades
    float rhoMax = 0.0f;
    float ipMin = 0.0f; // right axis
    float ipMax = 0.0f;
    float abMin = 0.0f; // top and bottom axes (AB/2 in metres), whole decades
    float abMax = 0.0f;
    bool polarityMode = false;
    bool legendVisible = true;
    Axis topAxis;
    Axis leftAxis;
    Axis bottomAxis;
    Axis rightAxis;
    TextItem titleText;
    // Curve order follows the station record: RES, M1, R, TH, TD, ZP.
    Curve resCurve;
    Curve m1Curve;
    Curve rCurve;
    Curve thCurve;
    Curve tdCurve;
    Curve zpCurve;
    // The curve of a quantity.
    Curve& curve(Quantity quantity);
    const Curve& curve(Quantity quantity) const;
    float xLengthCm = 5.0f; // figure width, cm
    float yLengthCm = 5.0f; // figure height, cm
    float xLength = 0.0f;   // the same in logical units, refreshed before drawing
    float yLength = 0.0f;
    float originX = 0.0f; // logical point shown at the viewport origin
    float originY = 0.0f;
    float offsetXCm = 0.0f;     // shift of the figure from the surface's centre
    float offsetYCm = 3.5f;     // room above the figure for the title; not tied to titleGapCm later
    Pen linePen;                // the pen the pen dialog edits, taken by a clicked curve
    float sheetWidthCm = 21.0f; // paper, A4 portrait; only ever grows
    float sheetHeightCm = 29.7f;
    float titleGapCm = 3.5f; // frame top to title top
    float marginCm = 1.5f;
    // The interpretation of the station shown, drawn over its curves; none without a model.
    std::optional<SheetModel> stationModel;
    // Positions (in the station's order) of the shown station's readings left out of its fits, drawn
    // hollow and grey.
    std::vector<std::size_t> maskedPoints;
    // Titles on the axes: "AB/2 (m)" under the frame, "ρs (Ω·m)" beside the left axis and, with M1
    // drawn, "M1 (%)" beside the right one. Off: the sheet as it always was.
    bool axisTitles = false;
    // A small line under the frame that names what is drawn (file, station, date) so that a printed
    // sheet can be traced; empty (nothing drawn) unless an output asks for it.
    std::string footerText;
};
