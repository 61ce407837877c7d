#pragma once

// Survey files for the command tests, written as GBK bytes into a folder removed afterwards.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "render/GbkCodec.h"

namespace clitest {

class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> serial{0};
        path = std::filesystem::temp_directory_path() /
               ("vesplot-cli-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string write(const std::string& name, const std::string& utf8) const {
        const std::filesystem::path file = path / name;
        std::ofstream out(file, std::ios::binary);
        const std::string bytes = utf8ToGbk(utf8);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    std::string file(const std::string& name) const { return (path / name).string(); }

    std::filesystem::path path;
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
