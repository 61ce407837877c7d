#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/WindowMain.h"
#include "cli/HeadlessCommands.h"

namespace {

// The window module's place in the build tree and in an installation: lib/vesplot/ beside bin/.
std::string windowModulePath() {
    std::string program(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", program.data(), program.size() - 1);
    program.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    const std::size_t slash = program.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : program.substr(0, slash);
    return folder + "/../lib/vesplot/libvesplot_window.so";
}

} // namespace

int main(int argc, char* argv[]) {
    // `vesplot inspect ...` and `vesplot export ...` run without a window.
    if (const std::optional<int> status = runHeadlessCommand(argc, argv))
        return *status;

    const std::string path = windowModulePath();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "vesplot: cannot load the window module %s: %s\n", path.c_str(), dlerror());
        return 1;
    }
    using WindowMain = int (*)(int, char**);
    const auto windowMain = reinterpret_cast<WindowMain>(dlsym(module, "vesplotWindowMain"));
    if (windowMain == nullptr) {
        std::fprintf(stderr, "vesplot: %s has no window: %s\n", path.c_str(), dlerror());
        return 1;
    }
    return windowMain(argc, argv);
}
