#include "app/FitProgress.h"

#include "core/Ui.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

namespace {

// Runs `work` on a worker thread with a control whose progress this thread shows (at first against
// `total`, then against the total the work reports) and whose cancel the 取消 sets; see
// fitStationsWithProgress.
void runWithProgress(Ui& ui, std::size_t total, const std::function<void(const model::BatchControl&)>& work,
                     bool& cancelled, const bool* stop) {
    struct Progress {
        std::mutex mutex;
        std::condition_variable changed;
        std::size_t reported = 0;
        std::size_t total = 0;
        std::size_t seen = 0;
        bool finished = false;
    } shared;
    shared.total = total;
    std::atomic<bool> cancel{false};
    model::BatchControl control;
    control.cancel = &cancel;
    control.progress = [&shared](std::size_t done, std::size_t all) {
        std::unique_lock lock(shared.mutex);
        shared.reported = done;
        shared.total = all;
        shared.changed.notify_all();
        shared.changed.wait(lock, [&] { return shared.seen >= done; });
    };
    bool outOfMemory = false;
    ui.nameProgress("正在反演各测点的模型…");
    std::thread worker([&] {
        // What leaves a thread ends the program: the failure is passed on once the worker is back.
        try {
            work(control);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        const std::lock_guard lock(shared.mutex);
        shared.finished = true;
        shared.changed.notify_all();
    });
    for (;;) {
        std::unique_lock lock(shared.mutex);
        shared.changed.wait_for(lock, std::chrono::milliseconds(50),
                                [&] { return shared.finished || shared.reported > shared.seen; });
        if (shared.finished && shared.reported <= shared.seen)
            break;
        const std::size_t done = std::max(shared.reported, shared.seen);
        const std::size_t all = shared.total;
        lock.unlock();
        // Also between stations, so that the dialog repaints and its 取消 is seen during a long fit.
        if (!cancel && (!ui.progress(done, all) || (stop && *stop)))
            cancel = true;
        lock.lock();
        shared.seen = done;
        shared.changed.notify_all();
    }
    worker.join();
    ui.endProgress();
    cancelled = cancel;
    if (outOfMemory)
        throw std::bad_alloc();
}

} // namespace

std::vector<model::FitResult> fitStationsWithProgress(Ui& ui, std::span<const model::SoundingData> soundings,
                                                      const model::BatchOptions& options, bool& cancelled,
                                                      const bool* stop) {
    std::vector<model::FitResult> fits;
    runWithProgress(
        ui, soundings.size(),
        [&](const model::BatchControl& control) {
            fits = model::fitStations(soundings, options, control);
            model::rethrowOutOfMemory(fits);
        },
        cancelled, stop);
    return fits;
}

model::LateralFitResult fitLineWithProgress(Ui& ui, std::span<const model::SoundingData> soundings,
                                            const model::LateralFitOptions& options, bool& cancelled,
                                            const bool* stop) {
    model::LateralFitResult line;
    runWithProgress(
        ui, soundings.size(),
        [&](const model::BatchControl& control) {
            line = model::fitLine(soundings, options, control);
            model::rethrowOutOfMemory(line.stations);
        },
        cancelled, stop);
    return line;
}
