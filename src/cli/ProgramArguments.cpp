// The one place with system calls of its own: everything else uses the standard library and Qt.
#include "ProgramArguments.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#endif

std::vector<std::string> utf8Arguments(int argc, char* argv[]) {
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> words;
        for (int i = 0; i < count; ++i) {
            const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string word(bytes > 0 ? static_cast<std::size_t>(bytes) : 1, '\0');
            if (bytes > 0)
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, word.data(), bytes, nullptr, nullptr);
            word.resize(word.size() - 1); // the terminating NUL
            words.push_back(std::move(word));
        }
        LocalFree(wide);
        return words;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}

void attachToParentConsole() {
#ifdef _WIN32
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        FILE* stream = nullptr;
        freopen_s(&stream, "CONOUT$", "w", stdout);
        freopen_s(&stream, "CONOUT$", "w", stderr);
    }
#endif
}
