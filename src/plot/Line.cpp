#include "plot/Line.h"

#include "platform/Canvas.h"
#include "platform/Ui.h"

TLine::TLine(Ui& ui) : ui(ui) {
    kind = 2;
}

void TLine::edit() {}

bool TLine::hitTest(int, int) {
    return false;
}

void TLine::draw(Canvas&) {}
