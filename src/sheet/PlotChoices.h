#pragma once

#include <array>
#include <string>
#include <vector>

// Indexes of the parameters in the order of the plot control window, the paint pipeline and the
// legend: RES, M1, R, TD, TH, ZP.
namespace plotparam {
inline constexpr int res = 0, m1 = 1, r = 2, td = 3, th = 4, zp = 5;
inline constexpr int count = 6;
} // namespace plotparam

// What the sheet reads from (and the open command writes to) the plot control window. The window
// mirrors its controls into this record; the sheet never touches the widgets.
struct PlotChoices {
    std::vector<std::string> stationItems; // `STs`: station numbers as decimal texts
    int stationIndex = -1;                 // selected item of `STs`, -1 for none
    // Indexed by plotparam: the check boxes RES, M1, R, TD, TH, ZP ...
    std::array<bool, plotparam::count> ticked{};
    // ... whether each box can be used (the IP boxes are disabled for tagged files) ...
    std::array<bool, plotparam::count> enabled{true, true, true, true, true, true};
    // ... and resSymbol, m1Symbol, rSymbol, tdSymbol, thSymbol, zpSymbol: symbol numbers 0..12, 0 none.
    std::array<int, plotparam::count> symbols{};
    bool visible = false; // the window is shown
};
