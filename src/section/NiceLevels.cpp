#include "section/NiceLevels.h"

#include <array>
#include <cmath>
#include <span>

namespace {

// Levels m x 10^k within [low, high] for the mantissas given, ascending.
std::vector<double> decadeLevels(double low, double high, std::span<const double> mantissas) {
    std::vector<double> levels;
    const int first = static_cast<int>(std::floor(std::log10(low)));
    const int last = static_cast<int>(std::ceil(std::log10(high)));
    for (int k = first; k <= last; ++k) {
        const double decade = std::pow(10.0, k);
        for (const double m : mantissas) {
            const double level = m * decade;
            // Relative slack: a range end computed as 10^x must still count as the level.
            if (level >= low * (1.0 - 1e-12) && level <= high * (1.0 + 1e-12))
                levels.push_back(level);
        }
    }
    return levels;
}

} // namespace

double niceStep(double range, int maxIntervals) {
    if (!std::isfinite(range) || range <= 0.0 || maxIntervals < 1)
        return NAN;
    const double raw = range / maxIntervals;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * decade >= raw * (1.0 - 1e-12))
            return m * decade;
    }
    return 10.0 * decade;
}

std::vector<double> niceLevels(double low, double high, bool logarithmic, int maxLevels) {
    if (!std::isfinite(low) || !std::isfinite(high) || !(low < high) || maxLevels < 1)
        return {};
    if (logarithmic) {
        if (low <= 0.0)
            return {};
        static constexpr std::array<double, 3> oneTwoFive{1.0, 2.0, 5.0};
        static constexpr std::array<double, 1> decades{1.0};
        static constexpr std::array<double, 6> fine{1.0, 1.5, 2.0, 3.0, 5.0, 7.0};
        std::vector<double> levels = decadeLevels(low, high, oneTwoFive);
        if (static_cast<int>(levels.size()) > maxLevels)
            return decadeLevels(low, high, decades);
        if (levels.size() < 3)
            return decadeLevels(low, high, fine);
        return levels;
    }
    const double step = niceStep(high - low, std::max(1, maxLevels - 1));
    std::vector<double> levels;
    const double first = std::ceil(low / step - 1e-9);
    for (double k = first; k * step <= high + step * 1e-9; k += 1.0) {
        // A step below 1 is 1/n exactly (n = 2, 5, 10, 20, ...): k / n gives the nearest double of the level
        // where k * step would not (3 * 0.1 = 0.30000000000000004).
        const double level = std::abs(step) >= 1.0 ? k * step : k / std::round(1.0 / step);
        levels.push_back(level == 0.0 ? 0.0 : level);
    }
    return levels;
}
