#include "cli/OpenReportCommand.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

// Every committed fuzz input (the seeds, and any input that once found a fault, kept in
// fuzz/regressions/) goes through the whole open path as both file kinds: each must end in a
// JSON answer, never a crash or a hang.
TEST(FuzzReplay, EveryCommittedInputOpensAsBothKinds) {
    const std::filesystem::path fuzzDir =
        std::filesystem::path(VESPLOT_SAMPLE_DATA_DIR).parent_path() / "fuzz";
    int replayed = 0;
    for (const char* folder : {"corpus", "regressions"}) {
        const std::filesystem::path root = fuzzDir / folder;
        if (!std::filesystem::exists(root))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file())
                continue;
            for (const char* kind : {"dat", "ves"}) {
                std::ostringstream out, err;
                EXPECT_EQ(runInspect({entry.path().string(), "--kind", kind}, out, err), 0)
                    << entry.path() << " as " << kind << ": " << err.str();
                EXPECT_EQ(out.str().rfind("{\"kind\":", 0), 0u) << entry.path();
            }
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}
