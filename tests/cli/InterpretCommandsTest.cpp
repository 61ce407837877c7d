// The interpretation commands: exit statuses, refused command lines and the fits of field soundings.
#include "cli/InterpretCommands.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct CommandRun {
    int status = -1;
    std::string out, err;
};

CommandRun forward(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    CommandRun r;
    r.status = runForward(words, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

CommandRun invert(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    CommandRun r;
    r.status = runInvert(words, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

const std::string realDir = VESPLOT_REAL_DATA_DIR "/";

} // namespace

TEST(ForwardCommand, HalfSpaceAndDefaultSpacings) {
    const CommandRun r = forward({"--rho", "250"});
    ASSERT_EQ(r.status, 0) << r.err;
    // the 19 default AB/2 values 10^(k/6) to four decimals, and a half-space returns its resistivity
    EXPECT_NE(r.out.find("\"ab2\":[1,1.4678,2.1544,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(",681.2921,1000]"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"rhoa\":[250,250,"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("\"ma\""), std::string::npos);
}

TEST(ForwardCommand, RefusesWhatCannotBeAnEarth) {
    const std::vector<std::vector<std::string>> refused{
        {},
        {"--rho", "0"},
        {"--rho", "10,-5", "--thk", "2"},
        {"--rho", "10,20"},
        {"--rho", "10,20", "--thk", "2,3"},
        {"--rho", "10,20", "--thk", "nan"},
        {"--rho", "10", "--m", "100"},
        {"--rho", "10,20", "--thk", "2", "--m", "5"},
        {"--rho", "10", "--ab2", "1,2", "--mn2", "0.5"},
        {"--rho", "10", "--ab2", "1,2", "--mn2", "0.5,2"},
        {"--rho", "10", "--ab2", "0"},
        {"--rho", "10", "--frobnicate"},
    };
    for (const auto& words : refused) {
        const CommandRun r = forward(words);
        EXPECT_EQ(r.status, 2) << (words.empty() ? "(none)" : words.back());
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST(InvertCommand, FitsEveryFieldStationLikeTheBestThreeLayerFit) {
    // best 3-layer misfits (percent) found by a long multi-start search of the same residuals
    const CommandRun r = invert({realDir + "boundiali.dat", "--all"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<double> best{4.06, 5.33, 3.32, 2.50};
    std::size_t at = 0;
    for (double rms : best) {
        at = r.out.find("\"rmsPercent\":", at);
        ASSERT_NE(at, std::string::npos);
        at += 13;
        EXPECT_NEAR(std::stod(r.out.substr(at, 12)), rms, 0.5);
    }
    EXPECT_EQ(r.out.find("\"error\""), std::string::npos);
    EXPECT_EQ(r.out.rfind("{\"stations\":[", 0), 0u);
}

TEST(InvertCommand, StatusesForBadFilesAndCommandLines) {
    EXPECT_EQ(invert({realDir + "no-such-file.dat"}).status, 1);
    EXPECT_EQ(invert({realDir + "semien.dat", "--station", "99"}).status, 2);
    EXPECT_EQ(invert({realDir + "semien.dat", "--layers", "0"}).status, 2);
    EXPECT_EQ(invert({realDir + "semien.dat", "--fix", "thk1"}).status, 2);
    EXPECT_EQ(invert({realDir + "semien.dat", "--smooth", "--fix", "thk1=3"}).status, 2);
    // a depth known from a borehole stays where it was put
    const CommandRun fixedRun = invert({realDir + "semien.dat", "--fix", "thk1=3.5"});
    ASSERT_EQ(fixedRun.status, 0) << fixedRun.err;
    EXPECT_NE(fixedRun.out.find("\"thk\":3.5,\"depth\":3.5"), std::string::npos)
        << fixedRun.out.substr(0, 300);
    // more layers than the station has points: an error for that station, exit 1
    const CommandRun tooMany = invert({realDir + "semien.dat", "--layers", "20"});
    EXPECT_EQ(tooMany.status, 1);
    EXPECT_NE(tooMany.out.find("\"error\""), std::string::npos);
}
