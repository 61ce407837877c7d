#pragma once

#include "model/FitReport.h"
#include "model/ForwardModel.h"

// A station's layered-earth interpretation, shown on its sheet over the measured curves: the model's
// apparent-resistivity response, the layered model as a step line (resistivity against depth, depth on
// the AB/2 axis), the fitted M1 response when M1 is drawn, their legend entries and a small model table.
struct SheetModel {
    std::int32_t stationNumber = 0; // the station the model belongs to
    model::LayeredModel earth;      // rho in ohm-m, thk in m, m in percent
    model::FitReport report;        // RMS, iterations, the response at the used AB/2 values (may be empty
                                    // for a model the user typed: the sheet then computes the response)
    bool fitted = false;            // false for a model edited or typed by the user
    bool showTable = true;          // the model table inside the sheet
    bool smooth = false;            // a smooth fit: its thin layers' thicknesses are the program's choice,
                                    // never values the user holds
};
