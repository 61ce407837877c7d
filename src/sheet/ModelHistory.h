#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/BlockInversion.h"
#include "sheet/SheetModel.h"

// What the interpretation of a file is at one moment: every station's model and masked readings (by
// station index) and the segment setting of the fits.
struct ModelSnapshot {
    std::map<std::size_t, SheetModel> models;
    std::map<std::size_t, std::vector<std::size_t>> masks;
    model::SegmentReference segments = model::SegmentReference::None;
};

// The undo and redo steps of a window's interpretation: each step keeps the snapshot before it and a
// short text for the user ("拖动模型", "反演"). Recording a step drops the steps undone before it.
class ModelHistory {
public:
    // At most this many steps are kept, and at most this many station models in all of them (a step of a
    // file of 20,000 fitted stations keeps 20,000): the oldest steps go first, the newest always stays.
    static constexpr std::size_t maxSteps = 100;
    static constexpr std::size_t defaultMaxModels = 200000;

    explicit ModelHistory(std::size_t maxModels = defaultMaxModels) : maxModels(maxModels) {}

    // A step is done: `before` is the snapshot it changed.
    void record(ModelSnapshot before, std::string text);
    // The snapshot to restore for undo (redo), given the one shown now, which becomes the redo (undo)
    // step; nothing when there is no step.
    std::optional<ModelSnapshot> undo(ModelSnapshot current);
    std::optional<ModelSnapshot> redo(ModelSnapshot current);
    void clear();

    bool canUndo() const { return !undoSteps.empty(); }
    bool canRedo() const { return !redoSteps.empty(); }
    // The text of the step undo (redo) would take back (do again); empty without one.
    std::string undoText() const;
    std::string redoText() const;

private:
    struct Step {
        ModelSnapshot snapshot;
        std::string text;
    };
    std::size_t maxModels;
    std::vector<Step> undoSteps;
    std::vector<Step> redoSteps;
};
