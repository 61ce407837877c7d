#include "plot/Symbol.h"

#include "platform/Canvas.h"

void drawSymbol(Canvas&, int, int, int, int, int) {}
