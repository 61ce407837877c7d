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
