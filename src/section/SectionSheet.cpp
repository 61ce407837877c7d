#include "section/SectionSheet.h"

#include "core/Conversions.h"
#include "core/Gbk.h"
#include "core/Ui.h"
#include "section/ContourLabeller.h"
#include "section/ContourTracer.h"
#include "section/NiceLevels.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

// Sheet units are 0.1 mm: 10,000 to the metre.
constexpr double unitsPerMetre = 10000.0;

// Margins and strips around the frame.
constexpr int marginLeft = 300;   // AB/2 or depth labels and the axis title
constexpr int marginBottom = 220; // distance labels and title
constexpr int stationRow = 90;    // station numbers above the frame
constexpr int rmsRow = 60;        // model sections: the RMS row above the station numbers
constexpr int titleRow = 150;
constexpr int barGap = 150; // frame to colour bar
constexpr int barWidth = 60;
constexpr int barLabelRoom = 220;
constexpr int majorTick = 30;
constexpr int minorTick = 15;
constexpr int dotRadius = 5;
constexpr int barStrips = 64;
constexpr double minLabelRun = 300.0; // a contour shorter than 3 cm gets no label
constexpr double labelMargin = 10.0;  // 1 mm clear around a contour label
constexpr double axisSlack = 1e-4;    // decades an AB/2 may pass the axis's last decade by

// Limits of what a sheet may be.
constexpr double maxSpacing = 100000.0; // m per station number
constexpr double maxScale = 10000000.0; // 1:10,000,000
constexpr double maxCmPerDecade = 100.0;
constexpr double minFrame = 100.0;       // 1 cm
constexpr double maxFrame = 50000.0;     // 5 m
constexpr double autoLineWidth = 0.25;   // m of sheet for the whole line
constexpr double autoDepthHeight = 0.10; // m of sheet for the whole depth

const Pen framePen{PenStyle::Solid, 3, colors::black, PenMode::Copy};
const Pen tickPen{PenStyle::Solid, 2, colors::black, PenMode::Copy};
const Pen contourPen{PenStyle::Solid, 2, colors::black, PenMode::Copy};

int coord(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v); // truncation toward zero, as everywhere on the sheet
}

LogFont font(int height, int width, int escapement = 0) {
    LogFont f;
    f.height = height;
    f.width = width;
    f.weight = 400;
    f.escapement = escapement;
    f.setFaceName("Arial");
    return f;
}

const LogFont labelFont = font(30, 15);
const LogFont captionFont = font(36, 18);
const LogFont titleFont = font(60, 30);

int textWidth(const std::string& s, const LogFont& f) {
    return gbkByteLength(s) * f.width;
}

// A number for labels: up to four decimals, no trailing zeros.
std::string number(double v) {
    if (std::abs(v) < 1e-12)
        v = 0.0;
    return formatPattern(v, "0.####");
}

// The smallest 1, 2, 2.5 or 5 x 10^k not below `raw`: a round scale denominator.
double roundScale(double raw) {
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (m * decade >= raw * (1.0 - 1e-12))
            return m * decade;
    }
    return 10.0 * decade;
}

bool absurd(double v, double max) {
    return !std::isfinite(v) || v <= 0.0 || v > max;
}

} // namespace

SectionLayoutResult SectionSheet::fail(std::string message) {
    *this = SectionSheet();
    return {false, std::move(message)};
}

SectionLayoutResult SectionSheet::checkCommon(const SectionOptions& options) const {
    if (options.placement == StationPlacement::ByNumber && absurd(options.spacing, maxSpacing))
        return {false, "点距必须是大于 0、不超过 100000 米的数。"};
    if (options.horizontalScale != 0.0 && absurd(options.horizontalScale, maxScale))
        return {false, "水平比例尺 1:n 的 n 必须是大于 0、不超过 10000000 的数。"};
    if (options.userColourRange) {
        ColourScale probe(1, 10, options.parameter == Quantity::Res, ColourMap::Viridis);
        if (!probe.setRange(options.colourLow, options.colourHigh))
            return {false, "色标范围无效：下限必须小于上限（视电阻率还须大于 0）。"};
    }
    return {};
}

bool SectionSheet::chooseHorizontalScale(double lineLength, const SectionOptions& options,
                                         std::string& problem) {
    horizontalScale_ =
        options.horizontalScale != 0.0 ? options.horizontalScale : roundScale(lineLength / autoLineWidth);
    const double frameWidth = lineLength / horizontalScale_ * unitsPerMetre;
    if (!(frameWidth >= minFrame) || !(frameWidth <= maxFrame)) {
        problem = frameWidth > maxFrame ? "断面图宽度超过 5 米，请增大水平比例尺 1:n 的 n。"
                                        : "断面图宽度不足 1 厘米，请减小水平比例尺 1:n 的 n。";
        return false;
    }
    return true;
}

void SectionSheet::placeFrame(double frameWidth, double frameHeight, bool withRmsRow) {
    frameLeft_ = marginLeft;
    frameBottom_ = marginBottom;
    frameRight_ = coord(frameLeft_ + frameWidth);
    frameTop_ = coord(frameBottom_ + frameHeight);
    stationRowTop_ = frameTop_ + stationRow + (withRmsRow ? rmsRow : 0);
    titleTop_ = stationRowTop_ + titleRow;
    width_ = frameRight_ + barGap + barWidth + barLabelRoom;
    height_ = titleTop_ + 50;
}

int SectionSheet::sheetX(double metres) const {
    return coord(xOf(metres));
}

double SectionSheet::xOf(double metres) const {
    return frameLeft_ + (metres - lineStart_) / horizontalScale_ * unitsPerMetre;
}

double SectionSheet::yOfAbHalf(double abHalf) const {
    return frameTop_ - (std::log10(abHalf) - axisLogTop_) * unitsPerDecade_;
}

double SectionSheet::yOfDepth(double depth) const {
    return frameTop_ - depth / depthScale_ * unitsPerMetre;
}

// The AB/2 axis from the decade at or above the smallest AB/2 to the decade at or below the largest, and
// the frame it makes with the line; false (and the problem) when the frame would be too tall.
bool SectionSheet::placeAbAxis(double cmPerDecade, std::string& problem) {
    double low = INFINITY, high = -INFINITY;
    for (const StationSamples& s : samples_) {
        if (s.logAb.empty())
            continue;
        low = std::min(low, s.logAb.front());
        high = std::max(high, s.logAb.back());
    }
    // The readers store every AB/2 0.0001 m above its figure in the file, so an AB/2 of 1000 m is
    // 1000.0001 m here: a slack of 1e-4 decade keeps it on the 1000 m decade instead of adding an
    // empty one below.
    axisLogTop_ = std::floor(low + logAbTolerance);
    axisLogBottom_ = std::max(std::ceil(high - axisSlack), axisLogTop_ + 1.0);
    unitsPerDecade_ = cmPerDecade * 100.0;
    const double frameHeight = (axisLogBottom_ - axisLogTop_) * unitsPerDecade_;
    if (frameHeight > maxFrame) {
        problem = "断面图高度超过 5 米，请减小每十倍 AB/2 的厘米数。";
        return false;
    }
    placeFrame((lineEnd_ - lineStart_) / horizontalScale_ * unitsPerMetre, frameHeight, false);
    return true;
}

// The contour lines of the grid at the colour scale's nice levels.
void SectionSheet::traceContours(bool logarithmic) {
    for (const double level : niceLevels(scale_.low(), scale_.high(), logarithmic)) {
        SectionContour contour{level, ContourTracer::trace(grid_.values(), grid_.columns(), grid_.rows(),
                                                           scale_.toScaled(level))};
        if (!contour.lines.empty())
            contours_.push_back(std::move(contour));
    }
}

// Columns for the hit test: half way to the neighbours, as far out at the ends as on the inner side.
// Gives the stations' positions and numbers for the station row.
void SectionSheet::placeSampleColumns(std::vector<double>& positions, std::vector<std::int32_t>& numbers) {
    for (std::size_t k = 0; k < samples_.size(); ++k) {
        const double x = samples_[k].position;
        const double before = k > 0 ? (x - samples_[k - 1].position) / 2.0 : (samples_[1].position - x) / 2.0;
        const double after = k + 1 < samples_.size() ? (samples_[k + 1].position - x) / 2.0 : before;
        columns_.push_back({xOf(x - before), xOf(x + after), {samples_[k].index, samples_[k].number}});
        positions.push_back(x);
        numbers.push_back(samples_[k].number);
    }
}

SectionLayoutResult SectionSheet::layoutPseudosection(const StationList& stations,
                                                      const SectionOptions& options) {
    if (SectionLayoutResult common = checkCommon(options); !common)
        return fail(common.message);
    if (absurd(options.cmPerDecade, maxCmPerDecade))
        return fail("每十倍 AB/2 的厘米数必须是大于 0、不超过 100 的数。");
    std::vector<StationSamples> samples =
        collectStationSamples(stations, options.parameter, options.placement, options.spacing);
    if (samples.size() < 2)
        return fail("断面图至少需要两个不同位置的测点。");
    const bool logarithmic = isLogarithmic(options.parameter);
    std::vector<double> values;
    for (const StationSamples& s : samples)
        for (const double v : s.value)
            values.push_back(logarithmic ? std::pow(10.0, v) : v);
    if (values.empty())
        return fail("所选参数（" + std::string(displayName(options.parameter)) +
                    "）在各测点都没有有效数据。");

    *this = SectionSheet();
    samples_ = std::move(samples);
    lineStart_ = samples_.front().position;
    lineEnd_ = samples_.back().position;
    std::string problem;
    if (!chooseHorizontalScale(lineEnd_ - lineStart_, options, problem))
        return fail(problem);

    if (!placeAbAxis(options.cmPerDecade, problem))
        return fail(problem);

    scale_ = ColourScale(1, 10, logarithmic, logarithmic ? ColourMap::BlueYellowRed : ColourMap::Viridis);
    if (options.userColourRange)
        scale_.setRange(options.colourLow, options.colourHigh);
    else
        scale_.setRangeFromValues(values);

    grid_ =
        PseudosectionGrid(samples_, std::max(1, options.rowsPerDecade), std::max(1, options.columnsPerGap));
    if (options.contours)
        traceContours(logarithmic);

    std::vector<double> positions;
    std::vector<std::int32_t> numbers;
    placeSampleColumns(positions, numbers);

    paintCells();
    paintContours(options.points);
    if (options.points)
        paintPoints();
    paintFrame();
    paintStationRow(positions, numbers);
    paintAbAxis();
    paintDistanceAxis(options.placement == StationPlacement::ByOrder);
    paintColourBar(std::string(displayName(options.parameter)), std::string(unitOf(options.parameter)));
    paintTitle(options.title.empty() ? std::string(displayName(options.parameter)) + "拟断面图"
                                     : options.title);
    laidOut_ = true;
    return {};
}

SectionLayoutResult SectionSheet::layoutModelSection(const std::vector<StationModel>& models,
                                                     const SectionOptions& options) {
    if (SectionLayoutResult common = checkCommon(options); !common)
        return fail(common.message);
    if (options.depthScale != 0.0 && absurd(options.depthScale, maxScale))
        return fail("深度比例尺 1:n 的 n 必须是大于 0、不超过 10000000 的数。");
    ModelSection section(models, options.placement, options.spacing, options.modelQuantity,
                         options.interpolateModels, std::max(1, options.columnsPerGap) * 2);
    if (section.columns().size() < 2)
        return fail("断面图至少需要两个不同位置的测点。");
    const bool logarithmic = section.logarithmic();
    std::vector<double> values = section.cellValues();
    if (std::none_of(values.begin(), values.end(), [&](double v) { return isPresent(v, logarithmic); }))
        return fail("各测点都没有可用的模型。");

    *this = SectionSheet();
    model_ = std::move(section);
    lineStart_ = model_.columns().front().left;
    lineEnd_ = model_.columns().back().right;
    std::string problem;
    if (!chooseHorizontalScale(lineEnd_ - lineStart_, options, problem))
        return fail(problem);
    depthScale_ =
        options.depthScale != 0.0 ? options.depthScale : roundScale(model_.maxDepth() / autoDepthHeight);
    const double frameHeight = model_.maxDepth() / depthScale_ * unitsPerMetre;
    if (!(frameHeight >= minFrame) || !(frameHeight <= maxFrame))
        return fail(frameHeight > maxFrame ? "断面图高度超过 5 米，请增大深度比例尺 1:n 的 n。"
                                           : "断面图高度不足 1 厘米，请减小深度比例尺 1:n 的 n。");
    placeFrame((lineEnd_ - lineStart_) / horizontalScale_ * unitsPerMetre, frameHeight, true);

    scale_ = ColourScale(1, 10, logarithmic, logarithmic ? ColourMap::BlueYellowRed : ColourMap::Viridis);
    if (options.userColourRange)
        scale_.setRange(options.colourLow, options.colourHigh);
    else
        scale_.setRangeFromValues(values);

    std::vector<double> positions;
    std::vector<std::int32_t> numbers;
    for (const ModelColumn& c : model_.columns()) {
        columns_.push_back({xOf(c.left), xOf(c.right), {c.index, c.number}});
        positions.push_back(c.position);
        numbers.push_back(c.number);
    }

    paintModelCells();
    paintFrame();
    paintStationRow(positions, numbers);
    paintRmsRow();
    paintDepthAxis();
    paintDistanceAxis(options.placement == StationPlacement::ByOrder);
    const bool rho = options.modelQuantity == ModelQuantity::Resistivity;
    paintColourBar(rho ? "电阻率" : "极化率", rho ? "Ω·m" : "%");
    paintTitle(options.title.empty() ? (rho ? "电阻率模型断面图" : "极化率模型断面图") : options.title);
    laidOut_ = true;
    return {};
}

void SectionSheet::draw(Canvas& canvas) const {
    if (laidOut_)
        picture_.draw(canvas);
}

std::optional<SectionHit> SectionSheet::stationAt(Point p) const {
    if (!laidOut_ || p.y < frameBottom_ || p.y > stationRowTop_)
        return std::nullopt;
    for (const Column& c : columns_) {
        if (p.x >= c.left && p.x < c.right)
            return c.hit;
    }
    return std::nullopt;
}

void SectionSheet::paintCells() {
    // One rectangle per grid cell whose four corners have values, coloured by their mean; runs of
    // one colour along a row are merged. Cells touching a hole stay white.
    const int columns = grid_.columns();
    std::vector<int> xs(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        xs[static_cast<std::size_t>(c)] = sheetX(grid_.x(c));
    for (int r = 0; r + 1 < grid_.rows(); ++r) {
        const int top = coord(yOfAbHalf(std::pow(10.0, grid_.logAb(r))));
        const int bottom = coord(yOfAbHalf(std::pow(10.0, grid_.logAb(r + 1))));
        int runStart = -1;
        Color runColour = colors::white;
        const auto flush = [&](int end) {
            if (runStart >= 0)
                picture_.fillRect(runColour, xs[static_cast<std::size_t>(runStart)], top,
                                  xs[static_cast<std::size_t>(end)], bottom);
            runStart = -1;
        };
        for (int c = 0; c + 1 < columns; ++c) {
            const double mean =
                (grid_.at(c, r) + grid_.at(c + 1, r) + grid_.at(c, r + 1) + grid_.at(c + 1, r + 1)) / 4.0;
            if (std::isnan(mean)) {
                flush(c);
                continue;
            }
            const Color colour = scale_.colourOfScaled(mean);
            if (runStart >= 0 && colour != runColour)
                flush(c);
            if (runStart < 0) {
                runStart = c;
                runColour = colour;
            }
        }
        flush(columns - 1);
    }
}

void SectionSheet::paintModelCells() {
    for (const ModelCell& cell : model_.cells()) {
        if (std::isnan(cell.value))
            continue;
        picture_.fillRect(scale_.colourOfScaled(cell.value), sheetX(cell.left), coord(yOfDepth(cell.top)),
                          sheetX(cell.right), coord(yOfDepth(cell.bottom)));
    }
}

void SectionSheet::paintContours(bool withPoints) {
    // Labels first, level by level, each on its own line; then every line drawn with a gap wherever
    // it would run through a label; then the labels.
    ContourLabeller labeller(frameLeft_, frameBottom_, frameRight_, frameTop_, labelMargin);
    if (withPoints) {
        labeller.avoid(measuredPoints(), dotRadius);
    }
    std::vector<std::pair<std::vector<PointD>, bool>> lines;
    std::vector<std::pair<LabelBox, std::string>> labels;
    for (const SectionContour& contour : contours_) {
        const std::string label = number(contour.value);
        for (const ContourLine& line : contour.lines) {
            std::vector<PointD> sheet;
            sheet.reserve(line.points.size());
            for (const PointD& g : line.points)
                sheet.push_back({xOf(grid_.xAt(g.x)), yOfAbHalf(std::pow(10.0, grid_.logAbAt(g.y)))});
            if (const auto box = labeller.place(sheet, textWidth(label, labelFont) / 2.0,
                                                labelFont.height / 2.0, minLabelRun))
                labels.emplace_back(*box, label);
            lines.emplace_back(std::move(sheet), line.closed);
        }
    }
    for (const auto& [sheet, closed] : lines) {
        for (const std::vector<PointD>& piece : labeller.cut(sheet, closed)) {
            std::vector<Point> points;
            points.reserve(piece.size());
            for (const PointD& p : piece)
                points.push_back({coord(p.x), coord(p.y)});
            picture_.polyline(contourPen, std::move(points));
        }
    }
    for (const auto& [box, label] : labels) {
        // The text's left-top corner: half a width back along the line and half a height up across it.
        const double a = box.angleDegrees * std::numbers::pi / 180.0;
        const double x = box.centre.x - box.halfWidth * std::cos(a) - box.halfHeight * std::sin(a);
        const double y = box.centre.y - box.halfWidth * std::sin(a) + box.halfHeight * std::cos(a);
        const int escapement = static_cast<int>(std::lround(box.angleDegrees * 10.0));
        picture_.text(font(labelFont.height, labelFont.width, escapement), colors::black, coord(x), coord(y),
                      label);
    }
}

std::vector<PointD> SectionSheet::measuredPoints() const {
    std::vector<PointD> points;
    for (const StationSamples& s : samples_)
        for (const double l : s.logAb)
            points.push_back({xOf(s.position), yOfAbHalf(std::pow(10.0, l))});
    return points;
}

void SectionSheet::paintPoints() {
    for (const PointD& p : measuredPoints())
        picture_.dot(colors::black, coord(p.x), coord(p.y), dotRadius);
}

void SectionSheet::paintFrame() {
    picture_.polyline(framePen, {{frameLeft_, frameBottom_},
                                 {frameRight_, frameBottom_},
                                 {frameRight_, frameTop_},
                                 {frameLeft_, frameTop_},
                                 {frameLeft_, frameBottom_}});
}

void SectionSheet::paintStationRow(const std::vector<double>& positions,
                                   const std::vector<std::int32_t>& numbers) {
    // A tick for every station; its number where it does not run into the previous one.
    int lastRight = INT_MIN;
    const int textTop = frameTop_ + majorTick + 10 + labelFont.height;
    for (std::size_t k = 0; k < positions.size(); ++k) {
        const int x = sheetX(positions[k]);
        picture_.segment(tickPen, x, frameTop_, x, frameTop_ + majorTick);
        const std::string text = std::to_string(numbers[k]);
        const int left = x - textWidth(text, labelFont) / 2;
        if (left < lastRight + labelFont.width)
            continue;
        picture_.text(labelFont, colors::black, left, textTop, text);
        lastRight = left + textWidth(text, labelFont);
    }
    picture_.text(labelFont, colors::black, frameLeft_ - marginLeft + 20, textTop, "测点");
}

void SectionSheet::paintRmsRow() {
    const int textTop = frameTop_ + stationRow + labelFont.height;
    // A station without a model (its fit failed) is marked × where its RMS would stand, always; the RMS
    // values give way to the marks and to each other.
    const std::string mark = "×";
    std::vector<std::pair<int, int>> marks;
    for (const ModelColumn& c : model_.columns()) {
        if (c.valid)
            continue;
        const int left = sheetX(c.position) - textWidth(mark, labelFont) / 2;
        picture_.text(labelFont, colors::black, left, textTop, mark);
        marks.emplace_back(left, left + textWidth(mark, labelFont));
    }
    int lastRight = INT_MIN;
    for (const ModelColumn& c : model_.columns()) {
        if (!c.valid || std::isnan(c.rmsPercent))
            continue;
        const std::string text = formatPattern(c.rmsPercent, "0.0");
        const int left = sheetX(c.position) - textWidth(text, labelFont) / 2;
        const int right = left + textWidth(text, labelFont);
        if (left < lastRight + labelFont.width)
            continue;
        if (std::any_of(marks.begin(), marks.end(), [&](const auto& m) {
                return left < m.second + labelFont.width && right + labelFont.width > m.first;
            }))
            continue;
        picture_.text(labelFont, colors::black, left, textTop, text);
        lastRight = right;
    }
    picture_.text(labelFont, colors::black, frameLeft_ - marginLeft + 20, textTop, "RMS(%)");
}

void SectionSheet::paintAbAxis() {
    static constexpr std::array<double, 8> minors{2, 3, 4, 5, 6, 7, 8, 9};
    const int decades = static_cast<int>(std::lround(axisLogBottom_ - axisLogTop_));
    for (int d = 0; d <= decades; ++d) {
        const double ab = std::pow(10.0, axisLogTop_ + d);
        const int y = coord(yOfAbHalf(ab));
        picture_.segment(tickPen, frameLeft_ - majorTick, y, frameLeft_, y);
        const std::string text = number(ab);
        picture_.text(labelFont, colors::black, frameLeft_ - majorTick - 10 - textWidth(text, labelFont),
                      y + labelFont.height / 2, text);
        if (d == decades)
            break;
        for (const double m : minors) {
            const int ym = coord(yOfAbHalf(m * ab));
            picture_.segment(tickPen, frameLeft_ - minorTick, ym, frameLeft_, ym);
        }
    }
    paintVerticalAxisTitle("AB/2(m)");
}

void SectionSheet::paintDepthAxis() {
    const double step = niceStep(model_.maxDepth(), 8);
    for (double k = 0; k * step <= model_.maxDepth() * (1.0 + 1e-12); k += 1.0) {
        const int y = coord(yOfDepth(k * step));
        picture_.segment(tickPen, frameLeft_ - majorTick, y, frameLeft_, y);
        const std::string text = number(k * step);
        picture_.text(labelFont, colors::black, frameLeft_ - majorTick - 10 - textWidth(text, labelFont),
                      y + labelFont.height / 2, text);
    }
    paintVerticalAxisTitle("深度(m)");
}

void SectionSheet::paintVerticalAxisTitle(const std::string& title) {
    // Turned a quarter counter-clockwise, reading upward, centred on the frame's height; the text's
    // top faces the sheet's left edge.
    const int x = frameLeft_ - marginLeft + 20;
    const int y = (frameTop_ + frameBottom_) / 2 - textWidth(title, captionFont) / 2;
    picture_.text(font(captionFont.height, captionFont.width, 900), colors::black, x, y, title);
}

void SectionSheet::paintDistanceAxis(bool byOrder) {
    const double step = niceStep(lineEnd_ - lineStart_, 8);
    const double first = std::ceil(lineStart_ / step - 1e-9);
    for (double k = first; k * step <= lineEnd_ + step * 1e-9; k += 1.0) {
        const int x = sheetX(k * step);
        picture_.segment(tickPen, x, frameBottom_, x, frameBottom_ - majorTick);
        const std::string text = number(k * step);
        picture_.text(labelFont, colors::black, x - textWidth(text, labelFont) / 2,
                      frameBottom_ - majorTick - 10, text);
    }
    const std::string title = byOrder ? "测点序号" : "距离(m)";
    picture_.text(captionFont, colors::black,
                  (frameLeft_ + frameRight_) / 2 - textWidth(title, captionFont) / 2,
                  frameBottom_ - majorTick - 30 - labelFont.height, title);
}

void SectionSheet::paintColourBar(const std::string& name, const std::string& unit) {
    const int left = frameRight_ + barGap;
    const int right = left + barWidth;
    const int top = frameTop_;
    const int bottom = std::max(frameBottom_, frameTop_ - 1000);
    const double span = top - bottom;
    // The bar runs from the scale's low end at the bottom to its high end at the top.
    for (int i = 0; i < barStrips; ++i) {
        const double f = (i + 0.5) / barStrips;
        const double scaled = scale_.toScaled(scale_.low()) +
                              f * (scale_.toScaled(scale_.high()) - scale_.toScaled(scale_.low()));
        picture_.fillRect(scale_.colourOfScaled(scaled), left, coord(bottom + span * (i + 1) / barStrips),
                          right, coord(bottom + span * i / barStrips));
    }
    picture_.polyline(tickPen, {{left, bottom}, {right, bottom}, {right, top}, {left, top}, {left, bottom}});
    for (const double level : niceLevels(scale_.low(), scale_.high(), scale_.logarithmic(), 10)) {
        const int y = coord(bottom + span * scale_.fraction(level));
        picture_.segment(tickPen, right, y, right + minorTick, y);
        picture_.text(labelFont, colors::black, right + minorTick + 10, y + labelFont.height / 2,
                      number(level));
    }
    picture_.text(captionFont, colors::black, left, top + 2 * captionFont.height + 20, name);
    picture_.text(captionFont, colors::black, left, top + captionFont.height + 10,
                  unit.empty() ? "" : "(" + unit + ")");
}

void SectionSheet::paintTitle(const std::string& title) {
    picture_.text(titleFont, colors::black, (frameLeft_ + frameRight_) / 2 - textWidth(title, titleFont) / 2,
                  titleTop_, title);
}

void reportSectionProblem(Ui& ui, const SectionLayoutResult& result) {
    if (!result.ok)
        ui.messageBox(result.message, "断面图", MsgButtons::Ok, MsgIcon::Warning);
}
