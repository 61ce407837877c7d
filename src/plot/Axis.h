#pragma once

#include "plot/LineItem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The side the ticks of an axis point to, numbered as the axis dialog lists them from 1.
enum class TickDirection : std::int32_t { Up = 1, Right, Left, Down };

// A sheet axis: the line from (x1, y1) to (x2, y2) with ticks, labels, optional grid and a title.
// Linear axes tick at rounded steps; logarithmic ones tick once per decade with eight minor ticks.
class Axis : public LineItem {
public:
    Axis();

    // Runs `editor` when the window layer has set one; does nothing otherwise.
    void edit(Ui& ui) override;
    // The box of the two points grown by 5 units on every side.
    bool hitTest(int x, int y) override;
    // Linear or logarithmic drawing; changes nothing in the axis. A logarithmic axis whose range
    // has a problem (see rangeProblem) draws nothing.
    void draw(Canvas& canvas) const override;

    // True when the axis runs across the sheet: its two points less than √5 units apart in y.
    bool horizontal() const;
    // The warning for a logarithmic range that cannot be drawn (not positive, empty or not finite);
    // none for a linear axis or a good range. The sheet warns with it and gives the axis
    // defaultLogMin..defaultLogMax.
    std::optional<std::string> rangeProblem() const;
    static constexpr float defaultLogMin = 1.0f;
    static constexpr float defaultLogMax = 100.0f;

    // The tick counts the axis is drawn with, as the axis dialog shows them: a logarithmic axis with
    // a good range has one major tick per decade from startDecade to the decade of rangeMax (their
    // number in place of the intervals) and eight minor ticks per decade; any other axis has
    // majorIntervals and minorTicks as set.
    struct TickCounts {
        std::int32_t majorIntervals = 0;
        std::int32_t minorTicks = 0;
    };
    TickCounts tickCounts() const;

    // A rounded tick step for a value range.
    static float niceStep(float range);
    // The decade of the first tick of a logarithmic axis starting at `rangeMin` (> 0).
    static int startDecade(float rangeMin);

    // The axis settings dialog for this axis, set by the window layer.
    std::function<void(Axis&)> editor;

    bool logarithmic = false;
    bool showLabels = true;
    bool showTicks = true; // for a linear axis this also gates labels and grid
    bool showTitle = true;
    bool showGrid = false;
    TickDirection tickDirection = TickDirection::Down;
    std::int32_t minorTickLength = 2;
    std::int32_t minorTicks = 0;
    std::int32_t majorTickLength = 5;
    std::int32_t majorIntervals = 2;
    std::int32_t lineWidth = 1; // as edited; the drawing uses the canvas pen width
    std::string title = "Axis";
    std::int32_t titleDistance = 30;
    LogFont titleFont;
    std::string labelFormat = "0.0";
    std::int32_t labelDistance = 5;
    LogFont labelFont;
    float rangeMin = 1.0f;
    float rangeMax = 10.0f;
    float gridLength = 0.0f; // logical units
    float limitMin = 1.0f;
    float limitMax = 10.0f;

private:
    // Tick lengths signed toward the side the ticks point to, and their signs.
    struct TickLengths {
        int major = 0;
        int minor = 0;
        int majorSign = 1;
        int minorSign = 1;
    };
    // Where a linear axis puts its ticks: from `first`, a multiple of `step` at or above the lower
    // limit, at `scale` logical units per value; `usable` is false when no tick can be placed.
    struct LinearScale {
        float start = 0.0f;
        float scale = 0.0f;
        float endPos = 0.0f;
        float step = 0.0f;
        float first = 0.0f;
        bool usable = false;
    };

    TickLengths tickLengths(bool negativeMajor) const;
    LinearScale linearScale(float start, float end) const;

    void drawLinear(Canvas& canvas) const;
    void drawLinearTicks(Canvas& canvas, const LinearScale& sc, const TickLengths& ticks) const;
    void drawLinearLabel(Canvas& canvas, float pos, float value, const TickLengths& ticks) const;
    void drawLinearTitle(Canvas& canvas, int s) const;

    void drawLogarithmic(Canvas& canvas) const;
    void drawDecadeTick(Canvas& canvas, float pos, const TickLengths& ticks) const;
    void drawDecadeLabel(Canvas& canvas, float pos, int decade, const TickLengths& ticks) const;
    void drawDecadeMinorTicks(Canvas& canvas, float pos, float decadeLength, const TickLengths& ticks) const;
    void drawLogarithmicTitle(Canvas& canvas, const TickLengths& ticks) const;
};
