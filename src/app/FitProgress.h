#pragma once

#include <span>
#include <vector>

#include "model/BatchFit.h"
#include "model/LateralFit.h"

class Ui;

// Fits `soundings` on a worker thread (which spreads them over the cores) while this thread shows the
// progress, named as the fit of the stations, and passes 取消 on. The worker waits after each station
// until this thread has seen it, so that a cancel stops every station not yet started (those come
// back with the error "Cancelled."); the display is kept alive while a long fit runs. Ends the progress
// display. Raises std::bad_alloc, once the worker is back, when a fit ran out of memory. `cancelled`
// is set when the user cancelled, or when `stop` (when given) became true meanwhile (the window closing).
std::vector<model::FitResult> fitStationsWithProgress(Ui& ui, std::span<const model::SoundingData> soundings,
                                                      const model::BatchOptions& options, bool& cancelled,
                                                      const bool* stop = nullptr);

// The laterally constrained fit of all `soundings` as one line, likewise (its progress counts the
// independent fits and then the line's steps); a cancel gives a result with `cancelled` set.
model::LateralFitResult fitLineWithProgress(Ui& ui, std::span<const model::SoundingData> soundings,
                                            const model::LateralFitOptions& options, bool& cancelled,
                                            const bool* stop = nullptr);
