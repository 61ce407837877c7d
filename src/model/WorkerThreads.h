#pragma once

#include <thread>
#include <vector>

namespace model {

// Runs `work` on `threads` threads, this one included, and returns when all have finished. `work` takes its
// own items (from a shared counter) until none is left, so fewer threads than asked for (the system may
// refuse more) share the rest. `work` must not throw.
template <class Work> void runOnThreads(unsigned threads, Work& work) {
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back([&work] { work(); });
        } catch (...) { // no more threads: the ones running share the rest
            break;
        }
    }
    work();
    for (std::thread& thread : pool)
        thread.join();
}

} // namespace model
