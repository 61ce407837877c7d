#pragma once

// Survey files for the command tests, written as GBK bytes into a folder removed afterwards.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "render/GbkCodec.h"

namespace clitest {

// Files of these tests live in a folder removed when the test ends.
class TempFolder : public testsupport::TempFolder {
public:
    TempFolder() : testsupport::TempFolder("vesplot-cli") {}
};

// Two stations with AB/2 1.5 … 500 m, resistivities 12 … 830 and IP values 0.4 … 37
// (R and TH are scaled by 0.1 and 0.001 when read).
inline const char* twoStationColumnFile = "测区\n"
                                          "电测深 激电\n"
                                          "点号 AB/2 MN/2 rho M1 R TH TD ZP 标志 备用 备用\n"
                                          "1 1.5 0.5 830 0.4 10 1000 5 3 1 0 0\n"
                                          "1 15 0.5 120 12 100 5000 8 4 1 0 0\n"
                                          "1 500 50 12 37 200 9000 9 6 1 0 0\n"
                                          "2 1.5 0.5 90 1 20 2000 6 2 1 0 0\n"
                                          "2 150 10 60 2 30 3000 7 2 1 0 0\n";

} // namespace clitest
