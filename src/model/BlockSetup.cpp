#include "model/BlockSetup.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/ForwardDomain.h"

namespace model {

namespace {

// Segment factors are fitted within these: field lines whose every change of MN/2 raises the readings
// two- to fourfold add up to factors near 1/30 for the last segment.
constexpr double kLowestFactor = 0.02;
constexpr double kHighestFactor = 50.0;

} // namespace

std::optional<int> parameterIndex(const std::string& name, int layers) {
    int base = 0;
    int count = layers;
    std::string_view number;
    if (name.starts_with("rho")) {
        number = std::string_view(name).substr(3);
    } else if (name.starts_with("thk")) {
        number = std::string_view(name).substr(3);
        base = layers;
        count = layers - 1;
    } else {
        return std::nullopt;
    }
    int k = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), k);
    if (ec != std::errc() || end != number.data() + number.size() || k < 1 || k > count)
        return std::nullopt;
    return base + k - 1;
}

std::vector<double> reportSegments(const Segmentation& segments, const UsablePoints& points,
                                   const Eigen::VectorXd& x, int modelParameters, FitReport& report) {
    std::vector<double> factorOfPoint;
    if (segments.segments.empty())
        return factorOfPoint;
    report.segments = segments.segments;
    int factor = 0;
    for (SegmentFactor& segment : report.segments)
        if (!segment.reference)
            segment.factor = std::exp(x[modelParameters + factor++]);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const int f = segments.factorOfPoint.empty() ? -1 : segments.factorOfPoint[i];
        factorOfPoint.push_back(f < 0 ? 1.0 : std::exp(x[modelParameters + f]));
        report.correctedRhoa.push_back(factorOfPoint.back() * points.rhoa[i]);
    }
    return factorOfPoint;
}

Layer blockLayer(const Eigen::VectorXd& x, int layers, int k, std::span<const FixedParameter> fixed) {
    Layer layer;
    layer.rho = std::exp(x[k]);
    layer.thk = k + 1 < layers ? std::exp(x[layers + k]) : 0.0;
    for (const FixedParameter& held : fixed) {
        const auto i = parameterIndex(held.name, layers);
        if (i && *i == k) {
            layer.fixedRho = true;
            layer.rho = held.value;
        } else if (i && *i == layers + k) {
            layer.fixedThk = true;
            layer.thk = held.value;
        }
    }
    return layer;
}

Segmentation segmentsOf(const UsablePoints& points, SegmentReference reference) {
    Segmentation out;
    if (reference == SegmentReference::None)
        return out;
    std::vector<double> values = points.measuredMn2;
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    if (values.empty())
        return out;
    const std::size_t referenceIndex = reference == SegmentReference::SmallestMn2 ? 0 : values.size() - 1;
    for (std::size_t s = 0; s < values.size(); ++s) {
        SegmentFactor segment;
        segment.mn2 = values[s];
        segment.reference = s == referenceIndex;
        out.segments.push_back(segment);
    }
    for (double b : points.measuredMn2) {
        const auto s =
            static_cast<std::size_t>(std::lower_bound(values.begin(), values.end(), b) - values.begin());
        ++out.segments[s].points;
        out.factorOfPoint.push_back(s == referenceIndex ? -1
                                                        : static_cast<int>(s < referenceIndex ? s : s - 1));
    }
    out.factors = static_cast<int>(values.size()) - 1;
    if (out.factors == 0)
        out.factorOfPoint.clear();
    return out;
}

void blockBounds(const UsablePoints& points, int layers, int factors, Eigen::VectorXd& lower,
                 Eigen::VectorXd& upper) {
    const int modelParameters = 2 * layers - 1;
    const int all = modelParameters + factors;
    const auto [rhoMin, rhoMax] = std::minmax_element(points.rhoa.begin(), points.rhoa.end());
    const auto [ab2Min, ab2Max] = std::minmax_element(points.ab2.begin(), points.ab2.end());
    lower.resize(all);
    upper.resize(all);
    for (int i = 0; i < all; ++i) {
        if (i < layers) {
            lower[i] = std::log(std::max(*rhoMin / 1000.0, domain::kMinResistivity));
            upper[i] = std::log(std::min(*rhoMax * 1000.0, domain::kMaxResistivity));
        } else if (i < modelParameters) {
            lower[i] = std::log(std::max(*ab2Min / 20.0, domain::kMinThickness));
            upper[i] = std::log(std::min(*ab2Max * 5.0, domain::kMaxThickness));
        } else {
            lower[i] = std::log(kLowestFactor);
            upper[i] = std::log(kHighestFactor);
        }
    }
}

} // namespace model
