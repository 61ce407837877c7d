#pragma once

#include "core/LogFont.h"

#include <cstdint>

#include <QFont>

// Conversion between the sheet's font records and the fonts shown in the font dialogs.
//
// Record heights are sheet logical units (0.1 mm). The dialogs work in points, so a height h
// shows as |h| × 72 / 254 points (1 pt = 0.3528 mm), and a size picked in the dialog comes back
// as the negative height −round(points × 254 / 72): a character height, the way a point size
// is recorded. A 12-point font thus gives −42 (4.2 mm). The dialog shows whole points, so a size
// within half a point of the one it was opened on keeps the record's own height and sign:
// opening and confirming a dialog does not alter the record. Height 0 (the face's default
// size) shows as the dialog's default size.
namespace dialogfont {

// The dialog's font for a record: face, size, weight, italic, underline, strike-out.
QFont fromLogFont(const LogFont& record);
// The dialog's font with only the size taken from `height`.
QFont withHeight(const QFont& base, std::int32_t height);
// The record height of `font`, picked in a dialog that was opened on `opened` for a record of
// height `openedHeight`: a size within half a point of the opened one keeps `openedHeight`.
std::int32_t heightOf(const QFont& font, const QFont& opened, std::int32_t openedHeight);

} // namespace dialogfont
