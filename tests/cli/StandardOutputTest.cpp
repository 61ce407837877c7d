// A report on standard output that cannot be written names the system's reason, whichever command
// wrote it, and ends the command with status 1.
#include "cli/StandardOutput.h"
#include "cli/InterpretCommands.h"
#include "cli/OpenReportCommand.h"

#include "CliFiles.h"

#include <cerrno>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Command = std::function<int(const std::vector<std::string>&, std::ostream&, std::ostream&)>;

struct Target {
    const char* name;
    std::string path; // opened as standard output
    const char* mode;
    int reason; // the errno its writes fail with
};

} // namespace

TEST(StandardOutput, AFailedWriteIsNamedByItsCause) {
    clitest::TempFolder folder;
    const std::string readOnly = folder.write("read-only.txt", "");
    const std::string sample = VESPLOT_SAMPLE_DATA_DIR "/sample-ip.dat";
    const std::vector<std::pair<const char*, std::function<int(std::ostream&, std::ostream&)>>> commands{
        {"inspect", [&](std::ostream& out, std::ostream& err) { return runInspect({sample}, out, err); }},
        {"forward",
         [](std::ostream& out, std::ostream& err) {
             return runForward({"--rho", "10,100", "--thk", "5"}, out, err);
         }},
        {"invert", [&](std::ostream& out, std::ostream& err) { return runInvert({sample}, out, err); }},
    };
    std::vector<Target> targets{{"a file opened for reading", readOnly, "rb", EBADF}};
#ifdef __linux__
    targets.push_back({"a full disk", "/dev/full", "wb", ENOSPC});
#endif
    for (const Target& target : targets) {
        for (const auto& [name, command] : commands) {
            SCOPED_TRACE(std::string(name) + " on " + target.name);
            std::FILE* file = std::fopen(target.path.c_str(), target.mode);
            ASSERT_NE(file, nullptr);
            std::ostringstream err;
            int status = 0;
            {
                StandardOutput buffer(file);
                std::ostream out(&buffer);
                status = command(out, err);
            }
            std::fclose(file);
            EXPECT_EQ(status, 1);
            const std::string cause = "(" + std::generic_category().message(target.reason) + ")";
            EXPECT_NE(err.str().find("could not be written"), std::string::npos) << err.str();
            EXPECT_NE(err.str().find(cause), std::string::npos) << err.str();
        }
    }
}
