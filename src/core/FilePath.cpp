#include "FilePath.h"

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string outputTargetProblem(const std::filesystem::path& output, const std::filesystem::path& dataFile) {
    namespace fs = std::filesystem;
    std::error_code error;
    // Links are followed: what counts is the file a write would land in.
    const fs::file_status status = fs::status(output, error);
    if (status.type() == fs::file_type::not_found)
        return {};
    if (error)
        return "cannot check the output " + pathToUtf8(output) + ": " + error.message();
    if (status.type() == fs::file_type::directory)
        return pathToUtf8(output) + " is a folder, not a file";
    if (status.type() != fs::file_type::regular)
        return pathToUtf8(output) + " is a device, pipe or other special file, not a regular file";
    if (!dataFile.empty() && fs::equivalent(output, dataFile, error) && !error)
        return pathToUtf8(output) + " is the data file being drawn; choose another output name";
    return {};
}
