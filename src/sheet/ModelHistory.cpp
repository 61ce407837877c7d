#include "sheet/ModelHistory.h"

#include <utility>

void ModelHistory::record(ModelSnapshot before, std::string text) {
    redoSteps.clear();
    undoSteps.push_back({std::move(before), std::move(text)});
    std::size_t models = 0;
    for (const Step& step : undoSteps)
        models += step.snapshot.models.size();
    std::size_t dropped = 0;
    while (undoSteps.size() - dropped > 1 && (undoSteps.size() - dropped > maxSteps || models > maxModels)) {
        models -= undoSteps[dropped].snapshot.models.size();
        ++dropped;
    }
    undoSteps.erase(undoSteps.begin(), undoSteps.begin() + static_cast<std::ptrdiff_t>(dropped));
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
