#include "plot/Curve.h"

#include "platform/Canvas.h"
#include "platform/Ui.h"

TCurve::TCurve(Ui& ui) : ui(ui) {
    kind = 3;
}

void TCurve::edit() {}

bool TCurve::hitTest(int, int) {
    return false;
}

void TCurve::draw(Canvas&) {}

void TCurve::computePoints() {}
