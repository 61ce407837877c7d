#pragma once

#include "data/Quantity.h"

#include <string>
#include <vector>

// What the sheet reads from (and the open command writes to) the plot control window. The window
// mirrors its controls into this record; the sheet never touches the widgets.
struct PlotChoices {
    std::vector<std::string> stationItems; // `STs`: station numbers as decimal texts
    int stationIndex = -1;                 // selected item of `STs`, -1 for none
    // For each quantity: the check boxes RES, M1, R, TD, TH, ZP ...
    PerQuantity<bool> ticked{};
    // ... whether each box can be used (the IP boxes are disabled for tagged files) ...
    PerQuantity<bool> enabled{{true, true, true, true, true, true}};
    // ... and resSymbol, m1Symbol, rSymbol, tdSymbol, thSymbol, zpSymbol: symbol numbers 0..12, 0 none.
    PerQuantity<int> symbols{};
    bool visible = false; // the window is shown
};
