#include "plot/Axis.h"

#include "platform/Canvas.h"

TAxis::TAxis(Ui& ui) : TLine(ui) {
    kind = 8;
    x1 = 0.0f;
    y1 = 0.0f;
    x2 = 100.0f;
    y2 = 100.0f;
    titleFont = defaultItemFont();
    titleFont.height = 16;
    titleFont.width = 11;
    labelFont = defaultItemFont();
    labelFont.height = 12;
    labelFont.width = 7;
    limitMin = rangeMin;
    limitMax = rangeMax;
}

void TAxis::edit() {
    if (editor)
        editor(*this);
}

bool TAxis::hitTest(int, int) {
    return false;
}

void TAxis::draw(Canvas&) {}

float TAxis::niceStep(float) {
    return 1.0f;
}

int TAxis::startDecade(float) {
    return 0;
}

void TAxis::drawLinear(Canvas&) {}
void TAxis::drawLogarithmic(Canvas&) {}
void TAxis::drawLinearTitle(Canvas&) {}
