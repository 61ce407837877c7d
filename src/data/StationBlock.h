#pragma once

#include <string>
#include <vector>

// One station block of a tagged sounding file as read: what reaches the station list. The block's
// header values and texts and its auxiliary pairs are read past and not kept.
struct StationBlock {
    std::string name = "unknown";   // trimmed name line; the station number when it is an integer
    std::vector<float> abHalf;      // AB/2 in metres
    std::vector<float> resistivity; // apparent resistivity
};
