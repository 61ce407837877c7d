#pragma once

// Temporary survey files for the reader tests: written as bytes, texts converted to GBK.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "render/GbkCodec.h"

namespace datatest {

// A folder removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> serial{0};
        path = std::filesystem::temp_directory_path() /
               ("vesplot-data-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes `bytes` unchanged and returns the file's path.
    std::string writeBytes(const std::string& name, std::string_view bytes) const {
        std::filesystem::path file = path / name;
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    // Writes a UTF-8 text as GBK bytes.
    std::string writeGbk(const std::string& name, std::string_view utf8) const {
        return writeBytes(name, utf8ToGbk(utf8));
    }

    std::filesystem::path path;
};

inline std::string readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace datatest
