#include "section/SectionSheet.h"

#include "RecordingCanvas.h"
#include "ScriptedUi.h"
#include "SectionFields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>
#include <utility>

using sectiontest::station;

namespace {

constexpr float gone = missingValue;

// Two stations 100 m apart (numbers 0 and 1, 100 m per number), AB/2 1, 10, 100. Station 0 reads
// 10 Ω·m everywhere, station 1 1000 Ω·m: log rho rises linearly from 1 to 3 across the line.
StationList ramp(float middleOfSecond = 1000) {
    return {station(0, {1, 10, 100}, {10, 10, 10}), station(1, {1, 10, 100}, {1000, middleOfSecond, 1000})};
}

SectionOptions options(double spacing = 100, double scale = 500) {
    SectionOptions o;
    o.spacing = spacing;
    o.horizontalScale = scale;
    return o;
}

RecordingCanvas drawn(const SectionSheet& sheet) {
    RecordingCanvas canvas;
    canvas.setMapMode(MapMode::LoMetric);
    sheet.draw(canvas);
    return canvas;
}

// Centres of the measured-point dots.
std::vector<Point> dots(const RecordingCanvas& canvas) {
    std::vector<Point> centres;
    for (const auto& call : canvas.callsOf("ellipse"))
        centres.push_back(
            {(call.points[0].x + call.points[1].x) / 2, (call.points[0].y + call.points[1].y) / 2});
    return centres;
}

TEST(SectionSheet, AbHalfTenLandsHalfWayDownAOneToHundredAxis) {
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutPseudosection(ramp(), options()));
    EXPECT_DOUBLE_EQ(sheet.abAxisTop(), 1.0);
    EXPECT_DOUBLE_EQ(sheet.abAxisBottom(), 100.0);
    // 6.25 cm per decade, two decades: 1250 units, AB/2 growing downward.
    EXPECT_EQ(sheet.frameTop() - sheet.frameBottom(), 1250);
    EXPECT_DOUBLE_EQ(sheet.yOfAbHalf(1), sheet.frameTop());
    EXPECT_DOUBLE_EQ(sheet.yOfAbHalf(10), sheet.frameTop() - 625.0);
    EXPECT_DOUBLE_EQ(sheet.yOfAbHalf(100), sheet.frameBottom());
    const auto centres = dots(drawn(sheet));
    ASSERT_EQ(centres.size(), 6u);
    EXPECT_EQ(
        std::count_if(centres.begin(), centres.end(), [&](Point p) { return p.y == sheet.frameTop() - 625; }),
        2);
}

TEST(SectionSheet, CmPerDecadeAndAxisDecades) {
    SectionOptions o = options();
    o.cmPerDecade = 4;
    // AB/2 from 1.5 to 300: the axis runs from 1 to 1000, three decades of 4 cm.
    const StationList line{station(0, {1.5, 300}, {10, 10}), station(1, {1.5, 300}, {10, 10})};
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutPseudosection(line, o));
    EXPECT_DOUBLE_EQ(sheet.abAxisTop(), 1.0);
    EXPECT_DOUBLE_EQ(sheet.abAxisBottom(), 1000.0);
    EXPECT_EQ(sheet.frameTop() - sheet.frameBottom(), 1200);
    // An AB/2 of 100 m as read from a file (100.0001 m) ends the axis at 100, not 1000.
    const StationList read{station(0, {1.5001f, 100.0001f}, {10, 10}),
                           station(1, {1.5001f, 100.0001f}, {10, 10})};
    ASSERT_TRUE(sheet.layoutPseudosection(read, o));
    EXPECT_DOUBLE_EQ(sheet.abAxisBottom(), 100.0);
}

struct PositionCase {
    const char* name;
    StationPlacement placement;
    double spacing;
    double scale;
    std::vector<int> dotXFromFrameLeft; // sorted
    int hitX;                           // from the frame's left side
    int hitNumber;
    std::size_t hitIndex;
};

// Stations 10, 30, 20 in the file. By number at 5 m each: 50, 150, 100 m, a 100 m line at 1:500 is
// 20 cm: 0, 1000, 2000 units. By order: 0, 1, 2 m at 1:10 is 0, 1000, 2000 units too, but the middle
// one is the second in the file, number 30.
const PositionCase positionCases[] = {
    {"byNumber", StationPlacement::ByNumber, 5, 500, {0, 1000, 2000}, 1010, 20, 2},
    {"byOrder", StationPlacement::ByOrder, 5, 10, {0, 1000, 2000}, 990, 30, 1},
    {"byNumberOtherSpacing", StationPlacement::ByNumber, 2, 200, {0, 1000, 2000}, 1490, 20, 2},
    {"lastColumn", StationPlacement::ByNumber, 5, 500, {0, 1000, 2000}, 1600, 30, 1},
};

TEST(SectionSheet, StationsStandAtTheirPositions) {
    const StationList line{station(10, {1, 10}, {10, 10}), station(30, {1, 10}, {10, 10}),
                           station(20, {1, 10}, {10, 10})};
    for (const PositionCase& c : positionCases) {
        SectionOptions o = options(c.spacing, c.scale);
        o.placement = c.placement;
        SectionSheet sheet;
        ASSERT_TRUE(sheet.layoutPseudosection(line, o)) << c.name;
        std::vector<int> xs;
        for (const Point p : dots(drawn(sheet)))
            if (std::find(xs.begin(), xs.end(), p.x - sheet.frameLeft()) == xs.end())
                xs.push_back(p.x - sheet.frameLeft());
        std::sort(xs.begin(), xs.end());
        EXPECT_EQ(xs, c.dotXFromFrameLeft) << c.name;
        const auto hit = sheet.stationAt({sheet.frameLeft() + c.hitX, sheet.frameBottom() + 10});
        ASSERT_TRUE(hit.has_value()) << c.name;
        EXPECT_EQ(hit->number, c.hitNumber) << c.name;
        EXPECT_EQ(hit->index, c.hitIndex) << c.name;
    }
}

TEST(SectionSheet, HitTestOutsideTheColumns) {
    SectionSheet sheet;
    EXPECT_FALSE(sheet.stationAt({0, 0}).has_value()); // nothing laid out
    ASSERT_TRUE(sheet.layoutPseudosection(ramp(), options()));
    EXPECT_FALSE(sheet.stationAt({sheet.frameLeft() + 100, sheet.frameBottom() - 1}).has_value());
    EXPECT_FALSE(sheet.stationAt({sheet.frameRight() + 1001, sheet.frameBottom() + 10}).has_value());
    EXPECT_EQ(sheet.stationAt({sheet.frameLeft() - 999, sheet.frameBottom() + 10})->number, 0);
}

TEST(SectionSheet, DefaultScaleFitsTheLineInAboutQuarterMetre) {
    // 100 m of line: 1:400 would give exactly 25 cm; the next round scale is 1:500.
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutPseudosection(ramp(), options(100, 0)));
    EXPECT_DOUBLE_EQ(sheet.horizontalScale(), 500.0);
    EXPECT_EQ(sheet.frameRight() - sheet.frameLeft(), 2000);
}

// Every drawn contour polyline whose points all lie on one x, as that x.
std::vector<int> verticalContours(const RecordingCanvas& canvas, const SectionSheet& sheet) {
    std::vector<int> xs;
    for (const auto& call : canvas.callsOf("polyline")) {
        if (call.pen.width != 2 || call.points.size() < 2)
            continue;
        const int x = call.points.front().x;
        const bool vertical =
            std::all_of(call.points.begin(), call.points.end(), [&](Point p) { return p.x == x; });
        if (vertical && x > sheet.frameLeft() && x < sheet.frameRight())
            xs.push_back(x);
    }
    std::sort(xs.begin(), xs.end());
    return xs;
}

TEST(SectionSheet, ContoursOfALogRampStandWhereTheLevelIsReached) {
    // log rho = 1 + 2 x / 100 m: the level 100 Ω·m at 50 m, 20 at 15.05 m, 500 at 84.95 m; 1:500 puts
    // them 1000, 301.03 and 1698.97 units right of the frame's side.
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutPseudosection(ramp(), options()));
    const auto xs = verticalContours(drawn(sheet), sheet);
    const int left = sheet.frameLeft();
    for (const int expected : {left + 301, left + 1000, left + 1698})
        EXPECT_NE(std::find(xs.begin(), xs.end(), expected), xs.end()) << expected;
    for (const SectionContour& c : sheet.contours())
        for (const ContourLine& line : c.lines)
            for (const PointD& p : line.points)
                EXPECT_NEAR(sheet.grid().xAt(p.x), 100.0 * (std::log10(c.value) - 1.0) / 2.0, 1e-9)
                    << c.value;
}

// A line of nine stations 25 m apart, AB/2 1 to 1000 m at four per decade, whose resistivity is
// `rho(x m, log10 AB/2)`.
StationList fieldLine(double (*rho)(double, double)) {
    StationList line;
    for (int s = 0; s < 9; ++s) {
        std::vector<float> ab, values;
        for (int k = 0; k <= 12; ++k) {
            ab.push_back(static_cast<float>(std::pow(10.0, k / 4.0)));
            values.push_back(static_cast<float>(rho(25.0 * s, k / 4.0)));
        }
        line.push_back(station(s, ab, values));
    }
    return line;
}

// A contour label as drawn: the text's box from its left-top corner, turned by the escapement,
// as wide as its characters and as high as the font.
struct DrawnLabel {
    PointD topLeft;
    double angle; // radians
    double width, height;

    // A sheet point in the label's own axes: along the text from its left-top corner, and down across it.
    PointD local(double x, double y) const {
        const double dx = x - topLeft.x, dy = y - topLeft.y;
        return {dx * std::cos(angle) + dy * std::sin(angle), dx * std::sin(angle) - dy * std::cos(angle)};
    }
    // Whether the segment runs through the box shrunk by `inset` on every side.
    bool crossedBy(Point a, Point b, double inset) const {
        const PointD p = local(a.x, a.y), q = local(b.x, b.y);
        double low = 0, high = 1;
        for (const auto& [start, delta, lo, hi] : {std::tuple{p.x, q.x - p.x, inset, width - inset},
                                                   std::tuple{p.y, q.y - p.y, inset, height - inset}}) {
            if (delta == 0) {
                if (start <= lo || start >= hi)
                    return false;
                continue;
            }
            // By value: std::minmax of two temporaries would return references to them.
            const auto [t0, t1] = std::minmax({(lo - start) / delta, (hi - start) / delta});
            low = std::max(low, t0);
            high = std::min(high, t1);
        }
        return low < high;
    }
    double distanceTo(Point a) const {
        const PointD p = local(a.x, a.y);
        return std::hypot(std::max({0.0, -p.x, p.x - width}), std::max({0.0, -p.y, p.y - height}));
    }
};

struct LabelFieldCase {
    const char* name;
    double (*rho)(double x, double logAb);
};

const LabelFieldCase labelFieldCases[] = {
    {"layers", [](double, double l) { return std::pow(10.0, 1.0 + l * 0.8); }},
    {"slanted", [](double x, double l) { return std::pow(10.0, 1.0 + x / 200.0 + l / 2.0); }},
    {"bowl",
     [](double x, double l) {
         return std::pow(10.0, 1.0 + std::pow((x - 100.0) / 80.0, 2) + std::pow(l - 1.5, 2));
     }},
    {"waves",
     [](double x, double l) { return std::pow(10.0, 2.0 + std::sin(x / 30.0) * std::cos(l * 2.0)); }},
};

TEST(SectionSheet, ContourLabelsReadCleanlyInsideTheFrame) {
    for (const LabelFieldCase& c : labelFieldCases) {
        SectionSheet sheet;
        SectionOptions o = options(25, 1000);
        o.points = false;
        ASSERT_TRUE(sheet.layoutPseudosection(fieldLine(c.rho), o)) << c.name;
        const RecordingCanvas canvas = drawn(sheet);
        std::vector<DrawnLabel> labels;
        for (const auto& call : canvas.callsOf("textOut")) {
            const Point p = call.points[0];
            if (p.x > sheet.frameLeft() && p.x < sheet.frameRight() && p.y > sheet.frameBottom() &&
                p.y < sheet.frameTop())
                labels.push_back({{double(p.x), double(p.y)},
                                  call.font.escapement * std::numbers::pi / 1800.0,
                                  double(call.text.size() * call.font.width),
                                  double(call.font.height)});
        }
        ASSERT_GE(labels.size(), 2u) << c.name;
        std::vector<RecordingCanvas::Call> contours;
        for (const auto& call : canvas.callsOf("polyline"))
            if (call.pen.width == 2)
                contours.push_back(call);
        for (const DrawnLabel& label : labels) {
            // Inside the frame: its four corners.
            for (const auto& [along, down] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {1.0, 1.0}}) {
                const double x = label.topLeft.x + along * label.width * std::cos(label.angle) +
                                 down * label.height * std::sin(label.angle);
                const double y = label.topLeft.y + along * label.width * std::sin(label.angle) -
                                 down * label.height * std::cos(label.angle);
                EXPECT_TRUE(x >= sheet.frameLeft() && x <= sheet.frameRight() && y >= sheet.frameBottom() &&
                            y <= sheet.frameTop())
                    << c.name << " " << x << "," << y;
            }
            // No line through it (a unit of rounding aside), and its own line broken just around it.
            double nearestEnd = INFINITY;
            for (const auto& contour : contours) {
                for (std::size_t i = 1; i < contour.points.size(); ++i)
                    EXPECT_FALSE(label.crossedBy(contour.points[i - 1], contour.points[i], 2.0))
                        << c.name << " at " << contour.points[i].x << "," << contour.points[i].y;
                for (const Point end : {contour.points.front(), contour.points.back()})
                    nearestEnd = std::min(nearestEnd, label.distanceTo(end));
            }
            EXPECT_LT(nearestEnd, 20.0) << c.name;
        }
    }
}

TEST(SectionSheet, NothingIsColouredInAHole) {
    // Three stations 100 m apart at 1:1000 (1000 units each): the last lacks AB/2 = 10, so between
    // AB/2 1 and 100 nothing is known right of the middle station; left of it everything is.
    StationList line = ramp();
    line.push_back(station(2, {1, 10, 100}, {1000, gone, 1000}));
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutPseudosection(line, options(100, 1000)));
    const RecordingCanvas canvas = drawn(sheet);
    const int yHole = static_cast<int>(sheet.yOfAbHalf(10));
    const auto coloured = [&](int x) {
        for (const auto& call : canvas.callsOf("fillRect")) {
            const auto [lo, hi] = std::minmax(call.points[0].y, call.points[1].y);
            if (x >= call.points[0].x && x < call.points[1].x && yHole >= lo && yHole < hi)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(coloured(sheet.frameLeft() + 500));
    for (const int x : {sheet.frameLeft() + 1001, sheet.frameLeft() + 1500, sheet.frameRight() - 1})
        EXPECT_FALSE(coloured(x)) << x;
    // No contour runs into the hole: right of the middle station only the top and bottom rows, which
    // all stations measured, may carry points.
    for (const SectionContour& c : sheet.contours())
        for (const ContourLine& line : c.lines)
            for (const PointD& p : line.points) {
                const double ab = std::pow(10.0, sheet.grid().logAbAt(p.y));
                EXPECT_FALSE(ab > 1.0 + 1e-9 && ab < 100.0 - 1e-9 && sheet.grid().xAt(p.x) > 100.0 + 1e-9)
                    << ab;
            }
}

struct ErrorCase {
    const char* name;
    StationList stations;
    SectionOptions options;
};

SectionOptions with(void (*change)(SectionOptions&)) {
    SectionOptions o = options();
    change(o);
    return o;
}

const ErrorCase errorCases[] = {
    {"empty", {}, options()},
    {"oneStation", {station(1, {1, 10}, {10, 10})}, options()},
    {"twoOnOnePosition", {station(1, {1, 10}, {10, 10}), station(1, {1, 10}, {20, 20})}, options()},
    {"noValues", {station(0, {1, 10}, {gone, 9999}), station(1, {1, 10}, {gone, NAN})}, options()},
    {"noIpValues", ramp(), with([](SectionOptions& o) { o.parameter = Quantity::M1; })},
    {"zeroSpacing", ramp(), options(0)},
    {"negativeSpacing", ramp(), options(-100)},
    {"nanSpacing", ramp(), options(NAN)},
    {"giganticSpacing", ramp(), options(1e9)},
    {"negativeScale", ramp(), options(100, -500)},
    {"infiniteScale", ramp(), options(100, INFINITY)},
    {"giganticScale", ramp(), options(100, 1e12)},
    {"sheetTooWide", ramp(), options(100, 10)},
    {"sheetTooNarrow", ramp(), options(100, 100000)},
    {"zeroCmPerDecade", ramp(), with([](SectionOptions& o) { o.cmPerDecade = 0; })},
    {"nanCmPerDecade", ramp(), with([](SectionOptions& o) { o.cmPerDecade = NAN; })},
    {"badColourRange", ramp(), with([](SectionOptions& o) {
         o.userColourRange = true;
         o.colourLow = 0;
         o.colourHigh = 100;
     })},
};

TEST(SectionSheet, AbsurdInputGivesAMessageAndDrawsNothing) {
    for (const ErrorCase& c : errorCases) {
        SectionSheet sheet;
        ASSERT_TRUE(sheet.layoutPseudosection(ramp(), options())) << c.name;
        const SectionLayoutResult result = sheet.layoutPseudosection(c.stations, c.options);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_FALSE(result.message.empty()) << c.name;
        EXPECT_FALSE(sheet.laidOut()) << c.name;
        EXPECT_TRUE(drawn(sheet).calls.empty()) << c.name;
        EXPECT_FALSE(sheet.stationAt({sheet.frameLeft() + 10, sheet.frameBottom() + 10}).has_value())
            << c.name;
    }
}

TEST(SectionSheet, ProblemsReachTheUserAsAWarning) {
    SectionSheet sheet;
    const SectionLayoutResult result = sheet.layoutPseudosection({}, options());
    ScriptedUi ui;
    reportSectionProblem(ui, result);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, result.message);
}

TEST(SectionSheet, DrawingTwiceDrawsTheSameAndGivesTheCanvasBack) {
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutPseudosection(ramp(), options()));
    RecordingCanvas canvas;
    const Pen pen = canvas.pen();
    sheet.draw(canvas);
    const std::size_t once = canvas.calls.size();
    EXPECT_GT(once, 0u);
    sheet.draw(canvas);
    ASSERT_EQ(canvas.calls.size(), 2 * once);
    for (std::size_t i = 0; i < once; ++i)
        EXPECT_EQ(canvas.calls[i].points, canvas.calls[once + i].points) << i;
    EXPECT_EQ(canvas.pen(), pen);
}

struct CaptionCase {
    const char* name;
    Quantity parameter;
    const char* name_;
    const char* unit;
};

const CaptionCase captionCases[] = {
    {"resistivity", Quantity::Res, "视电阻率", "(Ω·m)"},
    {"chargeability", Quantity::M1, "视极化率 M1", "(%)"},
    {"halfDecayTime", Quantity::TH, "半衰时 TH", "(ms)"},
};

TEST(SectionSheet, ColourBarNamesTheParameterAndItsUnit) {
    for (const CaptionCase& c : captionCases) {
        StationList line = ramp();
        for (Station& s : line)
            s.chargeability = s.halfDecayTime = {1, 2, 3};
        SectionOptions o = options();
        o.parameter = c.parameter;
        SectionSheet sheet;
        ASSERT_TRUE(sheet.layoutPseudosection(line, o)) << c.name;
        std::vector<std::string> texts;
        for (const auto& call : drawn(sheet).callsOf("textOut"))
            texts.push_back(call.text);
        EXPECT_NE(std::find(texts.begin(), texts.end(), std::string(c.name_)), texts.end()) << c.name;
        EXPECT_NE(std::find(texts.begin(), texts.end(), std::string(c.unit)), texts.end()) << c.name;
    }
}

// Models: station 0 10 Ω·m 5 m thick over 1000 Ω·m, station 1 100 Ω·m 20 m over 100 Ω·m; 100 m apart.
std::vector<StationModel> models() {
    return {StationModel{0, {{{10, 5}, {1000, 0}}}, 1.5}, StationModel{1, {{{100, 20}, {100, 0}}}, 2.5}};
}

TEST(SectionSheet, ModelSectionAtTrueDepthScale) {
    // Depth to 1.2 x 20 m = 24 m; at 1:250 that is 960 units, the 5 m interface 200 units down.
    // Columns reach from -50 m to 150 m: 200 m at 1:1000 = 2000 units.
    SectionOptions o = options(100, 1000);
    o.depthScale = 250;
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutModelSection(models(), o));
    EXPECT_EQ(sheet.frameTop() - sheet.frameBottom(), 960);
    EXPECT_EQ(sheet.frameRight() - sheet.frameLeft(), 2000);
    const RecordingCanvas canvas = drawn(sheet);
    bool firstLayer = false;
    for (const auto& call : canvas.callsOf("fillRect"))
        firstLayer |= call.points[0] == Point{sheet.frameLeft(), sheet.frameTop()} &&
                      call.points[1] == Point{sheet.frameLeft() + 1000, sheet.frameTop() - 200};
    EXPECT_TRUE(firstLayer);
    std::vector<std::string> texts;
    for (const auto& call : canvas.callsOf("textOut"))
        texts.push_back(call.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "1.5"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "2.5"), texts.end());
    EXPECT_EQ(sheet.stationAt({sheet.frameLeft() + 1001, sheet.frameBottom() + 1})->number, 1);
    EXPECT_EQ(sheet.stationAt({sheet.frameLeft() + 999, sheet.frameBottom() + 1})->number, 0);
}

TEST(SectionSheet, ModelSectionRefusals) {
    SectionSheet sheet;
    EXPECT_FALSE(sheet.layoutModelSection({}, options()));
    EXPECT_FALSE(sheet.layoutModelSection({models()[0]}, options()));
    std::vector<StationModel> broken = models();
    for (StationModel& m : broken)
        m.earth.layers.clear();
    EXPECT_FALSE(sheet.layoutModelSection(broken, options()));
    SectionOptions o = options(100, 1000);
    o.depthScale = -1;
    EXPECT_FALSE(sheet.layoutModelSection(models(), o));
    o.depthScale = 1e-3; // 24 m at 1:0.001 is 24 km of paper
    EXPECT_FALSE(sheet.layoutModelSection(models(), o));
}

TEST(SectionSheet, AStationWithoutAModelIsMarkedInTheRmsRow) {
    std::vector<StationModel> line = models();
    line.insert(line.begin() + 1, StationModel{2, {}, NAN}); // its fit failed
    line[1].stationNumber = 0;
    line[0].stationNumber = -1;
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutModelSection(line, options(100, 1000)));
    const RecordingCanvas canvas = drawn(sheet);
    std::vector<std::string> texts;
    for (const auto& call : canvas.callsOf("textOut"))
        texts.push_back(call.text);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "×"), 1);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "1.5"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "2.5"), texts.end());
}

} // namespace
