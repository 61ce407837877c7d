#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One station block of a tagged sounding file as read. Only the name, the AB/2 values and the
// resistivities reach the station list; the rest is read and kept here unused.
struct StationBlock {
    std::string name = "unknown"; // trimmed name line; the station number when it is an integer
    std::int32_t auxCount = 0;
    std::vector<float> auxFirst;
    std::vector<float> auxSecond;
    std::int32_t pointCount = 0;
    std::vector<float> abHalf;      // AB/2 in metres
    std::vector<float> resistivity; // apparent resistivity
    float headerValue1 = 0;
    float headerValue2 = 0;
    std::string headerText1 = "Unknown";
    std::string headerText2 = "unknown";
    std::string headerText3 = "Me";
    std::string headerText4 = "Brin";
};
