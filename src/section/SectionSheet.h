#pragma once

#include "core/Canvas.h"
#include "data/Station.h"
#include "section/ColourScale.h"
#include "section/ContourTracer.h"
#include "section/ModelSection.h"
#include "section/PseudosectionGrid.h"
#include "section/SectionPicture.h"
#include "section/StationModel.h"
#include "section/StationPlacement.h"
#include "section/StationSamples.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Ui;

// The user's choices for a section sheet.
struct SectionOptions {
    Quantity parameter = Quantity::Res;                       // pseudosections
    ModelQuantity modelQuantity = ModelQuantity::Resistivity; // model sections
    StationPlacement placement = StationPlacement::ByNumber;
    double spacing = 1.0;         // metres of line per station number (ByNumber)
    double horizontalScale = 0.0; // n of the scale 1:n along the line; 0 = the line fits about 25 cm
    double cmPerDecade = 6.25;    // pseudosections: sheet centimetres per decade of AB/2
    double depthScale = 0.0;      // model sections: n of the depth scale 1:n; 0 = the depth fits about 10 cm
    bool userColourRange = false; // use colourLow..colourHigh instead of the data's range
    double colourLow = 0.0;
    double colourHigh = 0.0;
    bool contours = true; // pseudosections: contour lines with labels
    bool points = true;   // pseudosections: the measured points as dots
    bool interpolateModels = false;
    std::string title;      // empty: a title from the parameter
    int rowsPerDecade = 20; // grid rows per decade of AB/2
    int columnsPerGap = 4;  // grid columns from one station to the next
};

// The outcome of a layout: ok, or a message for the user (UTF-8, Chinese) and nothing to draw.
struct SectionLayoutResult {
    bool ok = true;
    std::string message;
    explicit operator bool() const { return ok; }
};

// A station found under a sheet point.
struct SectionHit {
    std::size_t index = 0;   // index in the station list (or model list) given to the layout
    std::int32_t number = 0; // station number
};

// One contour level of a pseudosection: its value and lines in grid coordinates.
struct SectionContour {
    double value = 0.0;
    std::vector<ContourLine> lines;
};

// A survey-line section on a true-scale sheet: a pseudosection of one parameter of all stations of
// a file, or a section of the stations' layered models. Lay out first (all geometry and every
// drawing call are computed then), then draw as often as needed. Sheet units are 0.1 mm with y up;
// the sheet spans 0..width() x 0..height().
class SectionSheet {
public:
    SectionLayoutResult layoutPseudosection(const StationList& stations, const SectionOptions& options);
    SectionLayoutResult layoutModelSection(const std::vector<StationModel>& models,
                                           const SectionOptions& options);

    // Draws the laid-out section under the sheet mapping; draws nothing before a successful layout.
    void draw(Canvas& canvas) const;
    // The station whose column holds the sheet point (inside the frame or the station-number strip).
    std::optional<SectionHit> stationAt(Point sheetPoint) const;

    bool laidOut() const { return laidOut_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The plot frame in sheet units.
    int frameLeft() const { return frameLeft_; }
    int frameRight() const { return frameRight_; }
    int frameTop() const { return frameTop_; }
    int frameBottom() const { return frameBottom_; }
    double horizontalScale() const { return horizontalScale_; }
    double depthScale() const { return depthScale_; }

    // Sheet x of a line position (m); sheet y of an AB/2 (pseudosection) or a depth (model section).
    double xOf(double metres) const;
    double yOfAbHalf(double abHalf) const;
    double yOfDepth(double depth) const;
    // The AB/2 axis runs from a power of ten at the top to a power of ten at the bottom.
    double abAxisTop() const { return std::pow(10.0, axisLogTop_); }
    double abAxisBottom() const { return std::pow(10.0, axisLogBottom_); }

    const ColourScale& colourScale() const { return scale_; }
    const PseudosectionGrid& grid() const { return grid_; }
    const std::vector<StationSamples>& samples() const { return samples_; }
    const std::vector<SectionContour>& contours() const { return contours_; }
    const ModelSection& modelSection() const { return model_; }

private:
    struct Column {
        double left = 0.0; // sheet x
        double right = 0.0;
        SectionHit hit;
    };

    SectionLayoutResult fail(std::string message);
    SectionLayoutResult checkCommon(const SectionOptions& options) const;
    bool chooseHorizontalScale(double lineLength, const SectionOptions& options, std::string& problem);
    bool placeAbAxis(double cmPerDecade, std::string& problem);
    void traceContours(bool logarithmic);
    void placeSampleColumns(std::vector<double>& positions, std::vector<std::int32_t>& numbers);
    void placeFrame(double frameWidth, double frameHeight, bool withRmsRow);
    void paintCells();
    void paintModelCells();
    // Labels keep clear of the measured points when those are drawn.
    void paintContours(bool withPoints);
    void paintPoints();
    // The measured points of the pseudosection on the sheet (0.1 mm).
    std::vector<PointD> measuredPoints() const;
    void paintStationRow(const std::vector<double>& positions, const std::vector<std::int32_t>& numbers);
    void paintRmsRow();
    void paintFrame();
    void paintAbAxis();
    void paintDepthAxis();
    void paintVerticalAxisTitle(const std::string& title);
    void paintDistanceAxis(bool byOrder);
    void paintColourBar(const std::string& name, const std::string& unit);
    void paintTitle(const std::string& title);
    int sheetX(double metres) const;

    bool laidOut_ = false;
    int width_ = 0;
    int height_ = 0;
    int frameLeft_ = 0;
    int frameRight_ = 0;
    int frameTop_ = 0;
    int frameBottom_ = 0;
    int stationRowTop_ = 0;
    int titleTop_ = 0;
    double lineStart_ = 0.0; // metres at the frame's left side
    double lineEnd_ = 0.0;
    double horizontalScale_ = 0.0;
    double depthScale_ = 0.0;
    double unitsPerDecade_ = 625.0;
    double axisLogTop_ = 0.0;
    double axisLogBottom_ = 1.0;
    ColourScale scale_;
    PseudosectionGrid grid_;
    std::vector<StationSamples> samples_;
    std::vector<SectionContour> contours_;
    ModelSection model_;
    std::vector<Column> columns_;
    SectionPicture picture_;
};

// Shows a failed layout's message to the user as a warning box.
void reportSectionProblem(Ui& ui, const SectionLayoutResult& result);
