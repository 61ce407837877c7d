#pragma once

// A folder for the files of one test, removed with everything in it when the test ends. Its name is
// unique among the test programs running at once (ctest runs them in parallel).

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "TestGbk.h"

namespace testsupport {

class TempFolder {
public:
    explicit TempFolder(std::string_view prefix = "vesplot-test") {
        static const std::string run = std::to_string(std::random_device{}());
        static std::atomic<int> serial{0};
        path = std::filesystem::temp_directory_path() /
               (std::string(prefix) + "-" + run + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        // A test may have taken the folder's permissions away.
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes `bytes` unchanged and returns the file's path.
    std::string writeBytes(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path file = path / name;
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    // Writes a UTF-8 text as GBK bytes, as the instruments write their files.
    std::string writeGbk(const std::string& name, std::string_view utf8) const {
        return writeBytes(name, utf8ToGbk(utf8));
    }
    std::string write(const std::string& name, std::string_view utf8) const { return writeGbk(name, utf8); }
    std::string file(const std::string& name) const { return (path / name).string(); }

    std::filesystem::path path;
};

} // namespace testsupport
