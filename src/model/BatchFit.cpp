#include "model/BatchFit.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "model/WorkerThreads.h"

namespace model {

namespace {

FitResult fitOne(const SoundingData& station, const BatchOptions& options, std::size_t i) {
    if (i >= options.masks.size())
        return options.kind == FitKind::Block ? fitBlockModel(station, options.block)
                                              : fitSmoothModel(station, options.smooth);
    if (options.kind == FitKind::Block) {
        BlockFitOptions block = options.block;
        block.mask = options.masks[i];
        return fitBlockModel(station, block);
    }
    SmoothFitOptions smooth = options.smooth;
    smooth.mask = options.masks[i];
    return fitSmoothModel(station, smooth);
}

} // namespace

FitResult fitOrFailure(const std::function<FitResult()>& fit) noexcept {
    FitResult failed;
    try {
        return fit();
    } catch (const std::bad_alloc&) {
        failed.report.error = "Out of memory.";
        failed.report.outOfMemory = true;
    } catch (const std::exception& error) {
        try {
            failed.report.error = std::string("Internal error: ") + error.what();
        } catch (...) { // no memory for the reason: the short message needs none
            failed.report.error = "Internal error.";
        }
    } catch (...) {
        failed.report.error = "Internal error.";
    }
    return failed;
}

std::vector<FitResult> fitStations(std::span<const SoundingData> stations, const BatchOptions& options,
                                   const BatchControl& control) {
    std::vector<FitResult> results(stations.size());
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    std::mutex progressMutex;
    auto work = [&] {
        for (std::size_t i = next++; i < stations.size(); i = next++) {
            FitReport& report = results[i].report;
            if (control.cancel && control.cancel->load()) {
                report.error = "Cancelled.";
            } else {
                results[i] = fitOrFailure([&] { return fitOne(stations[i], options, i); });
            }
            std::lock_guard lock(progressMutex);
            ++done;
            if (control.progress) {
                try {
                    control.progress(done, stations.size());
                } catch (...) {
                }
            }
        }
    };
    unsigned threads =
        options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    runOnThreads(static_cast<unsigned>(std::min<std::size_t>(threads, stations.size())), work);
    return results;
}

void rethrowOutOfMemory(std::span<const FitResult> fits) {
    if (std::any_of(fits.begin(), fits.end(), [](const FitResult& fit) { return fit.report.outOfMemory; }))
        throw std::bad_alloc();
}

} // namespace model
