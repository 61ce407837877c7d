#pragma once

// Temporary survey files for the reader tests: written as bytes, texts converted to GBK.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "TempFolder.h"
#include "TestGbk.h"

namespace datatest {

// Files of these tests live in a folder removed when the test ends.
class TempFolder : public testsupport::TempFolder {
public:
    TempFolder() : testsupport::TempFolder("vesplot-data") {}
};

inline std::string readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace datatest
