// A failed allocation anywhere in a headless command ends it with the memory message and status 1:
// never an abort, never a half-written report called success. This program replaces the global
// allocator so that one chosen allocation of a command fails, and sweeps that choice over the
// whole run of each command.
#include "cli/ExportCommand.h"
#include "cli/InterpretCommands.h"
#include "cli/OpenReportCommand.h"
#include "cli/SectionCommand.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Allocations counted while `counting`; the allocation with the number held in `failAt` (counted
// down to zero) throws, the rest succeed.
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> failAt{-1};

} // namespace

namespace {

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
        if (failAt.load(std::memory_order_relaxed) >= 0 && failAt.fetch_sub(1) == 0)
            throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

// Every plain and nothrow form, so that what one form allocates another may free (the library's
// temporary buffers take nothrow memory and give it back through the plain delete).
void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

namespace {

using Command = std::function<int(const std::vector<std::string>&, std::ostream&, std::ostream&)>;

struct Case {
    const char* name;
    Command command;
    std::vector<std::string> words;
    std::string file; // the file the command writes, if any
    // Fail each allocation in turn rather than some thirty spread over the run: the sheet export
    // hands its output device to Qt's SVG generator, which may fail half-way through connecting to it.
    bool everyAllocation = false;
};

struct Outcome {
    int status = -1;
    std::string err;
    std::string out; // standard output, then the written file
};

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Outcome run(const Case& c, long failing) {
    if (!c.file.empty())
        std::filesystem::remove(c.file);
    std::ostringstream out, err;
    allocations = 0;
    failAt = failing;
    counting = true;
    Outcome outcome;
    outcome.status = c.command(c.words, out, err);
    counting = false;
    failAt = -1;
    outcome.err = err.str();
    outcome.out = out.str();
    if (!c.file.empty())
        outcome.out += contentOf(c.file);
    return outcome;
}

const std::string sample = VESPLOT_SAMPLE_DATA_DIR "/sample-ip.dat";
const std::string field = VESPLOT_REAL_DATA_DIR "/boundiali.dat";

} // namespace

TEST(AllocationFailure, EveryCommandReportsItAndFailsCleanly) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "vesplot-allocation-failure";
    std::filesystem::create_directories(folder);
    const std::string svg = (folder / "sheet.svg").string();
    const std::vector<Case> cases{
        {"inspect", runInspect, {sample}, {}},
        {"forward", runForward, {"--rho", "100,10,1000", "--thk", "2,20"}, {}},
        {"invert", runInvert, {field, "--all"}, {}},
        {"export", runExport, {sample, "-o", svg}, svg, true},
        {"section",
         runSection,
         {sample, "-o", (folder / "line.svg").string()},
         (folder / "line.svg").string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome whole = run(c, -1);
        ASSERT_EQ(whole.status, 0) << whole.err;
        const long total = allocations;
        ASSERT_GT(total, 0);
        // The first allocations, then some thirty spread over the whole run.
        std::vector<long> failing{0, 1, 2, 3, 5, 8};
        for (long k = 1; k <= 30; ++k)
            failing.push_back(total * k / 31);
        if (c.everyAllocation) {
            failing.resize(static_cast<std::size_t>(total));
            std::iota(failing.begin(), failing.end(), 0L);
        }
        for (long k : failing) {
            SCOPED_TRACE(k);
            const Outcome failed = run(c, k);
            // Either the command did without that allocation (a thread fewer) and its output is the
            // same, or it failed as a whole and said so.
            if (failed.status == 0) {
                EXPECT_EQ(failed.out, whole.out);
                continue;
            }
            EXPECT_EQ(failed.status, 1);
            // A string stream that cannot grow fails as a stream: the output could not be written.
            EXPECT_TRUE(failed.err.find("内存不足") != std::string::npos ||
                        failed.err.find("could not be written") != std::string::npos)
                << failed.err;
        }
    }
    std::filesystem::remove_all(folder);
}
