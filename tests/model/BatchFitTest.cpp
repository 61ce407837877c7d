#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "Synthetic.h"
#include "model/BatchFit.h"

namespace {

std::vector<model::SoundingData> stations(int count) {
    std::vector<model::SoundingData> out;
    for (int i = 0; i < count; ++i) {
        const double rho2 = 5.0 * (i + 1);
        out.push_back(synthetic::sounding(synthetic::earth({100.0, rho2, 800.0}, {3.0, 10.0}), 0.02,
                                          static_cast<std::uint32_t>(i))
                          .data);
    }
    // One station that cannot be fitted.
    out.push_back({{1.0}, {}, {10.0}, {}});
    return out;
}

} // namespace

TEST(BatchFit, ResultsDoNotDependOnTheThreads) {
    const std::vector<model::SoundingData> data = stations(7);
    for (model::FitKind kind : {model::FitKind::Block, model::FitKind::Smooth}) {
        model::BatchOptions options;
        options.kind = kind;
        std::vector<model::FitResult> one;
        for (unsigned threads : {1u, 2u, 3u}) {
            options.threads = threads;
            std::size_t calls = 0, last = 0;
            model::BatchControl control;
            control.progress = [&](std::size_t done, std::size_t total) {
                ++calls;
                EXPECT_EQ(done, last + 1);
                last = done;
                EXPECT_EQ(total, data.size());
            };
            const std::vector<model::FitResult> results = model::fitStations(data, options, control);
            EXPECT_EQ(calls, data.size());
            ASSERT_EQ(results.size(), data.size());
            EXPECT_FALSE(results.back().report.ok());
            if (one.empty()) {
                one = results;
                continue;
            }
            for (std::size_t i = 0; i < data.size(); ++i) {
                EXPECT_EQ(results[i].report.rmsPercent, one[i].report.rmsPercent);
                ASSERT_EQ(results[i].model.size(), one[i].model.size());
                for (std::size_t k = 0; k < results[i].model.size(); ++k)
                    EXPECT_EQ(results[i].model.layers[k].rho, one[i].model.layers[k].rho);
            }
        }
        // And they are the single fits.
        const model::FitResult single =
            kind == model::FitKind::Block ? model::fitBlockModel(data[2]) : model::fitSmoothModel(data[2]);
        EXPECT_EQ(single.report.rmsPercent, one[2].report.rmsPercent);
    }
}

TEST(BatchFit, CancelStopsTheStationsNotStarted) {
    const std::vector<model::SoundingData> data = stations(9);
    model::BatchOptions options;
    options.threads = 2;
    std::atomic<bool> cancel{false};
    model::BatchControl control;
    control.cancel = &cancel;
    control.progress = [&](std::size_t done, std::size_t) {
        if (done == 3)
            cancel = true;
    };
    const std::vector<model::FitResult> results = model::fitStations(data, options, control);
    std::size_t cancelled = 0;
    for (const model::FitResult& r : results)
        cancelled += r.report.error == "Cancelled." ? 1 : 0;
    // Three done when the flag went up, at most one more already running on the other thread.
    EXPECT_GE(cancelled, data.size() - 4);
    EXPECT_LE(cancelled, data.size() - 3);

    cancel = true;
    for (const model::FitResult& r : model::fitStations(data, options, control))
        EXPECT_EQ(r.report.error, "Cancelled.");
    EXPECT_TRUE(model::fitStations({}, options, control).empty());
}

TEST(BatchFit, FailuresOfAFitAreToldApart) {
    struct Row {
        const char* what;
        std::function<model::FitResult()> fit;
        bool outOfMemory;
        std::string error;
    };
    const std::vector<Row> rows{
        {"memory", []() -> model::FitResult { throw std::bad_alloc(); }, true, "Out of memory."},
        {"a fault of the fit", []() -> model::FitResult { throw std::out_of_range("index 7"); }, false,
         "Internal error: index 7"},
        {"anything else", []() -> model::FitResult { throw 42; }, false, "Internal error."},
    };
    for (const Row& row : rows) {
        const model::FitResult result = model::fitOrFailure(row.fit);
        EXPECT_EQ(result.report.outOfMemory, row.outOfMemory) << row.what;
        EXPECT_EQ(result.report.error, row.error) << row.what;
        EXPECT_TRUE(result.model.layers.empty()) << row.what;
    }
}
