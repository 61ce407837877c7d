#pragma once

// Survey files and stations for the sheet tests: files are written as GBK bytes in a folder that
// is removed when the test ends.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "TestGbk.h"
#include "data/Station.h"

namespace sheettest {

// Files of these tests live in a folder removed when the test ends.
class TempFolder : public testsupport::TempFolder {
public:
    TempFolder() : testsupport::TempFolder("vesplot-sheet") {}
};

// (AB/2, resistivity) pairs of one tagged station block.
using Pairs = std::vector<std::pair<std::string, std::string>>;

// A tagged sounding file (".ves") with one block per entry: station name and its pairs.
inline std::string taggedFile(const std::vector<std::pair<std::string, Pairs>>& blocks) {
    std::string text = "Zu电法数据\n电测深 VES 对称四极\n" + std::to_string(blocks.size()) + "\n";
    for (const auto& [name, pairs] : blocks) {
        text += name + "\n0 0\n样例测区\n2023\n野外\n对称四极测深\n" + std::to_string(pairs.size()) + "\n";
        for (const auto& [ab, rho] : pairs)
            text += ab + " " + rho + "\n";
        text += "0\n";
    }
    return text;
}

// One row of a column data file: station, AB/2, resistivity, M1, R (stored ×0.1), TH (×0.001),
// TD, ZP; MN/2 0.5 and flag 1.
inline std::string columnRow(const std::string& station, const std::string& ab, const std::string& rho,
                             const std::string& m1, const std::string& r, const std::string& th,
                             const std::string& td, const std::string& zp) {
    return station + " " + ab + " 0.5 " + rho + " " + m1 + " " + r + " " + th + " " + td + " " + zp +
           " 1 0 0\n";
}

inline std::string columnFile(const std::string& rows) {
    return "测区 激电测深数据 2023\n电测深 对称四极 激电测深\n点号 AB/2 MN/2 视电阻率 M1 R TH TD ZP 标志 "
           "备用 备用\n" +
           rows;
}

// A station of `number` with the given AB/2 and resistivities and every IP value missing.
inline Station station(std::int32_t number, const std::vector<float>& ab, const std::vector<float>& rho) {
    Station s;
    for (std::size_t j = 0; j < ab.size(); ++j)
        s.appendPoint(number, ab[j], rho[j], missingValue, missingValue, missingValue, missingValue,
                      missingValue);
    return s;
}

} // namespace sheettest
