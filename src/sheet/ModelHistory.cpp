#include "sheet/ModelHistory.h"

#include <utility>

void ModelHistory::record(ModelSnapshot before, std::string text) {
    redoSteps.clear();
    if (undoSteps.size() >= maxSteps)
        undoSteps.erase(undoSteps.begin());
    undoSteps.push_back({std::move(before), std::move(text)});
}

std::optional<ModelSnapshot> ModelHistory::undo(ModelSnapshot current) {
    if (undoSteps.empty())
        return std::nullopt;
    Step step = std::move(undoSteps.back());
    undoSteps.pop_back();
    redoSteps.push_back({std::move(current), step.text});
    return std::move(step.snapshot);
}

std::optional<ModelSnapshot> ModelHistory::redo(ModelSnapshot current) {
    if (redoSteps.empty())
        return std::nullopt;
    Step step = std::move(redoSteps.back());
    redoSteps.pop_back();
    undoSteps.push_back({std::move(current), step.text});
    return std::move(step.snapshot);
}

void ModelHistory::clear() {
    undoSteps.clear();
    redoSteps.clear();
}

std::string ModelHistory::undoText() const {
    return undoSteps.empty() ? std::string() : undoSteps.back().text;
}

std::string ModelHistory::redoText() const {
    return redoSteps.empty() ? std::string() : redoSteps.back().text;
}
