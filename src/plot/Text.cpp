#include "plot/Text.h"

#include "platform/Canvas.h"
#include "platform/Gbk.h"

TText::TText() {
    kind = 1;
}

void TText::edit() {}

bool TText::hitTest(int, int) {
    return false;
}

void TText::draw(Canvas&) {}
