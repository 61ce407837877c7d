#include "app/FitProgress.h"

#include "core/Ui.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

std::vector<model::FitResult> fitStationsWithProgress(Ui& ui, std::span<const model::SoundingData> soundings,
                                                      const model::BatchOptions& options, bool& cancelled,
                                                      const bool* stop) {
    struct Progress {
        std::mutex mutex;
        std::condition_variable changed;
        std::size_t reported = 0;
        std::size_t seen = 0;
        bool finished = false;
    } shared;
    std::atomic<bool> cancel{false};
    model::BatchControl control;
    control.cancel = &cancel;
    control.progress = [&shared](std::size_t done, std::size_t) {
        std::unique_lock lock(shared.mutex);
        shared.reported = done;
        shared.changed.notify_all();
        shared.changed.wait(lock, [&] { return shared.seen >= done; });
    };
    std::vector<model::FitResult> fits;
    bool outOfMemory = false;
    ui.nameProgress("正在反演各测点的模型…");
    std::thread worker([&] {
        // What leaves a thread ends the program: the failure is passed on once the worker is back.
        try {
            fits = model::fitStations(soundings, options, control);
            model::rethrowOutOfMemory(fits);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        const std::lock_guard lock(shared.mutex);
        shared.finished = true;
        shared.changed.notify_all();
    });
    const std::size_t total = soundings.size();
    for (;;) {
        std::unique_lock lock(shared.mutex);
        shared.changed.wait_for(lock, std::chrono::milliseconds(50),
                                [&] { return shared.finished || shared.reported > shared.seen; });
        if (shared.finished && shared.reported <= shared.seen)
            break;
        const std::size_t done = std::max(shared.reported, shared.seen);
        lock.unlock();
        // Also between stations, so that the dialog repaints and its 取消 is seen during a long fit.
        if (!cancel && (!ui.progress(done, total) || (stop && *stop)))
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
    return fits;
}
