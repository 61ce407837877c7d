#include "plot/PlotItem.h"

LogFont defaultItemFont() {
    LogFont f;
    f.height = 18;
    f.width = 11;
    f.escapement = 0;
    f.weight = 100;
    f.setFaceName("Arial");
    return f;
}

PlotItem::PlotItem() : font(defaultItemFont()) {}

void PlotItem::edit(Ui& /*ui*/) {}

bool PlotItem::hitTest(int, int) {
    return false;
}

void PlotItem::moveBy(int dx, int dy) {
    x1 += static_cast<float>(dx);
    x2 += static_cast<float>(dx);
    y1 += static_cast<float>(dy);
    y2 += static_cast<float>(dy);
}

void PlotItem::setStart(int x, int y) {
    x1 = static_cast<float>(x);
    y1 = static_cast<float>(y);
}

void PlotItem::setEnd(int x, int y) {
    x2 = static_cast<float>(x);
    y2 = static_cast<float>(y);
}
