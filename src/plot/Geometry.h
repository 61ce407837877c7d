#pragma once

// A logical coordinate for the canvas: truncated toward zero, clamped to the int range, 0 for NaN.
int toCoord(float value);
int toCoord(double value);

// Distance of (x, y) from the infinite line through (xa, ya) and (xb, yb), xa != xb, computed in
// single precision through the slope.
float distanceToSlantedLine(float x, float y, float xa, float ya, float xb, float yb);
