#pragma once

#include <vector>

// A step of 1, 2 or 5 times a power of ten, the smallest such not below range / maxIntervals.
double niceStep(double range, int maxIntervals);

// Levels for contours and colour-bar ticks over [low, high], ends included when they fall on a level.
// Logarithmic (low > 0): 1-2-5 in every decade; only the decades when that gives more than
// `maxLevels`; 1-1.5-2-3-5-7 when it gives fewer than three. Linear: multiples of a nice step, at
// most `maxLevels` of them. Empty for an empty or invalid range.
std::vector<double> niceLevels(double low, double high, bool logarithmic, int maxLevels = 12);
