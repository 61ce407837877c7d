#include "sheet/SheetState.h"

#include <utility>

SheetState::SheetState(Ui& ui) : ui(ui) {
    for (Curve* curve : {&resCurve, &m1Curve, &rCurve, &thCurve, &tdCurve, &zpCurve}) {
        curve->symbolWidth = 15.0f;
        curve->symbolHeight = 15.0f;
    }
}

Curve& SheetState::curve(Quantity quantity) {
    return const_cast<Curve&>(std::as_const(*this).curve(quantity));
}

const Curve& SheetState::curve(Quantity quantity) const {
    switch (quantity) {
    case Quantity::M1:
        return m1Curve;
    case Quantity::R:
        return rCurve;
    case Quantity::TD:
        return tdCurve;
    case Quantity::TH:
        return thCurve;
    case Quantity::ZP:
        return zpCurve;
    case Quantity::Res:
        break;
    }
    return resCurve;
}
