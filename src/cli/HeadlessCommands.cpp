#include "HeadlessCommands.h"

#include "cli/CommandGuard.h"
#include "cli/ExportCommand.h"
#include "cli/InterpretCommands.h"
#include "cli/OpenReportCommand.h"
#include "cli/ProgramArguments.h"
#include "cli/SectionCommand.h"
#include "cli/StandardOutput.h"

#include <QGuiApplication>

#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

int runCommand(const std::string& command, int argc, char* argv[]) {
    const std::vector<std::string> arguments = utf8Arguments(argc, argv);
    const std::vector<std::string> words(arguments.begin() + std::min<std::size_t>(2, arguments.size()),
                                         arguments.end());
    StandardOutput standardOutput;
    std::ostream out(&standardOutput);
    if (command == "inspect")
        return runInspect(words, out, std::cerr);
    if (command == "forward")
        return runForward(words, out, std::cerr);
    if (command == "invert")
        return runInvert(words, out, std::cerr);

    // Painting needs fonts and images but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    if (command == "section")
        return runSection(words, out, std::cerr);
    return runExport(words, out, std::cerr);
}

} // namespace

std::optional<int> runHeadlessCommand(int argc, char* argv[]) {
    if (argc < 2)
        return std::nullopt;
    const std::string_view command = argv[1];
    if (command != "inspect" && command != "export" && command != "forward" && command != "invert" &&
        command != "section")
        return std::nullopt;
    attachToParentConsole();
    // The arguments and the application object allocate too, before any command's own guard.
    return runGuarded(argv[1], std::cerr, [&] { return runCommand(argv[1], argc, argv); });
}
