#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// File names travel as std::filesystem::path, so that names with Chinese characters reach the
// system intact on every platform (a narrow string would pass through the Windows ANSI code page).

// The path of a UTF-8 name (as the command line and the tests write names).
std::filesystem::path pathFromUtf8(std::string_view utf8);
// The name as UTF-8, for messages.
std::string pathToUtf8(const std::filesystem::path& path);

// Why `output` cannot receive a sheet file, as a one-line reason, or empty when it can: it must be a
// regular file or a new name (a folder, a device, a pipe or a link to one of them is refused), and not
// the data file `dataFile` itself, reached through any name or link. An empty `dataFile` is not compared.
std::string outputTargetProblem(const std::filesystem::path& output,
                                const std::filesystem::path& dataFile = {});
