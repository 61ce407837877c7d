#pragma once

#include "plot/PlotItem.h"
#include "plot/Symbol.h"

#include <cstdint>
#include <string>
#include <vector>

// One measured quantity of a station as a polyline with optional symbols. (x1, y1) is the origin
// of the curve's axes; the curve keeps its own copy of the axes' scales.
class Curve : public PlotItem {
public:
    // There is no curve dialog here: only tells the user so.
    void edit(Ui& ui) override;
    // Within 5 units of one of the segments between computed points.
    bool hitTest(int x, int y) override;
    void draw(Canvas& canvas) const override;

    // Rebuilds xPoints/yPoints/invalid from the values, ranges, lengths and log flags. A value that
    // cannot be mapped drops its whole pair, so the two point lists stay paired. Returns the
    // warnings about values a logarithmic axis cannot show, in order, for the caller to pass on.
    std::vector<std::string> computePoints();

    float xLength = 0.0f; // logical units
    float yLength = 0.0f;
    float xMin = 0.0f;
    float xMax = 0.0f;
    float yMin = 0.0f;
    float yMax = 0.0f;
    bool xLog = false;
    bool yLog = false;
    bool showSymbols = false;
    SymbolKind symbolKind = SymbolKind::None;
    float symbolWidth = 5.0f; // logical units
    float symbolHeight = 5.0f;
    std::vector<float> xValues;
    std::vector<float> yValues;
    std::vector<float> xPoints; // offsets from the origin
    std::vector<float> yPoints;
    bool invalid = false;
};
