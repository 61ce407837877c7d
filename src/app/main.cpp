#include <optional>

#include "app/WindowMain.h"
#include "cli/HeadlessCommands.h"

int main(int argc, char* argv[]) {
    // `vesplot inspect ...` and `vesplot export ...` run without a window.
    if (const std::optional<int> status = runHeadlessCommand(argc, argv))
        return *status;
    return runWindow(argc, argv);
}
