#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "model/BlockInversion.h"
#include "model/FitReport.h"
#include "model/SmoothInversion.h"
#include "model/SoundingData.h"

namespace model {

enum class FitKind { Block, Smooth };

struct BatchOptions {
    FitKind kind = FitKind::Block;
    BlockFitOptions block;
    SmoothFitOptions smooth;
    unsigned threads = 0; // 0: as many as the machine has cores
    // The masked readings of each station, by the station's position in the batch (shorter: none), in
    // place of the options' own mask.
    std::vector<std::vector<std::size_t>> masks;
};

struct BatchControl {
    // Set (from any thread) to stop: stations not yet started come back with the error "Cancelled.".
    const std::atomic<bool>* cancel = nullptr;
    // Called after each station with the number done so far and the total; called from the worker threads,
    // one call at a time.
    std::function<void(std::size_t done, std::size_t total)> progress;
};

// Fits every station, spread over threads. Each station's fit depends on its data alone, so the results are
// the same whatever the number of threads. Never throws.
std::vector<FitResult> fitStations(std::span<const SoundingData> stations, const BatchOptions& options,
                                   const BatchControl& control = {});

// The fit's result, or a failed one that says why: running out of memory sets `outOfMemory` (no verdict on
// the station), any other exception is reported as an internal error of that station. Never throws, so
// that a worker thread always returns.
FitResult fitOrFailure(const std::function<FitResult()>& fit) noexcept;

// Raises std::bad_alloc when a fit of `fits` ran out of memory: a command then fails as a whole with
// the memory message, instead of reporting a station as unfit that only lacked memory.
void rethrowOutOfMemory(std::span<const FitResult> fits);

} // namespace model
