#include "sheet/SheetState.h"

SheetState::SheetState(Ui& ui)
    : topAxis(ui), leftAxis(ui), bottomAxis(ui), rightAxis(ui), resCurve(ui), m1Curve(ui), rCurve(ui),
      thCurve(ui), tdCurve(ui), zpCurve(ui) {
    for (Curve* curve : {&resCurve, &m1Curve, &rCurve, &thCurve, &tdCurve, &zpCurve}) {
        curve->symbolWidth = 15.0f;
        curve->symbolHeight = 15.0f;
    }
}
