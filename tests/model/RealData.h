#pragma once

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/SoundingData.h"

// Minimal reader of the field column files for the tests: three header lines (GBK text, skipped), then
// whitespace-separated columns station, AB/2, MN/2, rhoa, M1, ... per point.
namespace realdata {

struct Station {
    int number = 0;
    model::SoundingData data;
};

inline std::vector<Station> read(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    for (int i = 0; i < 3 && std::getline(in, line); ++i) {
    }
    std::map<int, model::SoundingData> stations;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double station = 0, ab2 = 0, mn2 = 0, rhoa = 0, m1 = 0;
        if (!(fields >> station >> ab2 >> mn2 >> rhoa >> m1))
            continue;
        model::SoundingData& d = stations[static_cast<int>(station)];
        d.ab2.push_back(ab2);
        d.mn2.push_back(mn2);
        d.rhoa.push_back(rhoa);
        d.m1.push_back(m1);
    }
    std::vector<Station> out;
    for (auto& [number, data] : stations)
        out.push_back({number, std::move(data)});
    return out;
}

inline const char* const kFiles[] = {"gbalo", "boundiali", "semien"};

inline std::string path(const std::string& name) {
    return std::string(VESPLOT_TEST_DATA_DIR) + "/realdata/" + name + ".dat";
}

} // namespace realdata
