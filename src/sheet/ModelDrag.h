#pragma once

#include <cstddef>
#include <optional>
#include <utility>

#include "core/Canvas.h"
#include "model/ForwardModel.h"

class SheetState;
struct PlotChoices;

// How near (logical units) a press must fall to a piece of the model's step line to take hold of it.
inline constexpr int modelHitRadius = 20;

// The user's hold on the shown station's layered model on the sheet: a horizontal piece of the step
// line is a layer's resistivity and moves up and down, a vertical piece is an interface and moves left
// and right. Values the user holds (ticked) cannot be taken. Qt-free: the window passes logical points.
class ModelDrag {
public:
    enum class Piece { Resistivity, Interface };

    // The piece of the sheet's model under the logical point `at`, within modelHitRadius; nothing when
    // there is none, when the piece's value is held or when the model is not the selected station's.
    static std::optional<ModelDrag> grab(const SheetState& state, const PlotChoices& choices, Point at);

    // The model as it was grabbed, with the piece moved to the logical point `at`: a resistivity to the
    // left axis value at at.y, an interface to the bottom axis depth at at.x (kept between its
    // neighbours; the deeper interfaces stay where they are unless the next thickness is held). Values
    // stay inside the axes' ranges. The ranges of a fit no longer hold and are dropped.
    model::LayeredModel movedTo(const SheetState& state, Point at) const;

    Piece piece() const { return grabbedPiece; }
    // The layer whose resistivity, or whose bottom, was grabbed.
    std::size_t layer() const { return grabbedLayer; }

private:
    ModelDrag(Piece piece, std::size_t layer, model::LayeredModel start)
        : grabbedPiece(piece), grabbedLayer(layer), start(std::move(start)) {}

    Piece grabbedPiece;
    std::size_t grabbedLayer;
    model::LayeredModel start;
};
