#include "sheet/ModelHistory.h"

#include <string>

#include <gtest/gtest.h>

namespace {

ModelSnapshot withModels(std::size_t count) {
    ModelSnapshot snapshot;
    for (std::size_t i = 0; i < count; ++i)
        snapshot.models[i].stationNumber = static_cast<std::int32_t>(i + 1);
    return snapshot;
}

} // namespace

// The history is bounded by steps and by the station models all its steps keep, so that the steps of a
// file of thousands of fitted stations cannot fill the memory; the newest step is always kept.
TEST(ModelHistory, KeepsTheNewestStepsWithinItsBounds) {
    ModelHistory history(10);
    for (int step = 0; step < 5; ++step)
        history.record(withModels(4), "step " + std::to_string(step));
    // 4 models a step: two steps fit in 10, the third would not.
    int undone = 0;
    while (history.undo(ModelSnapshot{}))
        ++undone;
    EXPECT_EQ(undone, 2);

    ModelHistory one(3);
    one.record(withModels(8), "large");
    EXPECT_TRUE(one.canUndo()) << "the newest step stays, however large";
    EXPECT_EQ(one.undoText(), "large");

    ModelHistory many;
    for (std::size_t step = 0; step < ModelHistory::maxSteps + 5; ++step)
        many.record(withModels(1), "small");
    int kept = 0;
    while (many.undo(ModelSnapshot{}))
        ++kept;
    EXPECT_EQ(kept, static_cast<int>(ModelHistory::maxSteps));
}
