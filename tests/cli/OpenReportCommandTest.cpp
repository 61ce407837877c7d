#include "cli/OpenReportCommand.h"
#include "cli/CommandGuard.h"

#include "CliFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <new>
#include <sstream>
#include <streambuf>

#include <gtest/gtest.h>

namespace {

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
    QJsonObject json() const { return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object(); }
};

CommandRun inspect(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    CommandRun run;
    run.status = runInspect(words, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

} // namespace

TEST(InspectCommand, UsageErrorsExitWithTwoAndPrintNothingOnStdout) {
    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{},
                                               {"--kind", "xyz", "a.dat"},
                                               {"a.dat", "--bogus"},
                                               {"a.dat", "b.dat"},
                                               {"a.dat", "--station"},
                                               {"a.dat", "--station", "-1"}}) {
        const CommandRun run = inspect(words);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("usage: vesplot inspect FILE"), std::string::npos);
    }
}

TEST(InspectCommand, ColumnFileGivesDecadeRangesLengthsAndComposedCurves) {
    clitest::TempFolder folder;
    const std::string file = folder.write("two.dat", clitest::twoStationColumnFile);
    const CommandRun run = inspect({file});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject json = run.json();
    EXPECT_EQ(json["kind"].toString(), "dat");
    EXPECT_TRUE(json["messages"].toArray().isEmpty());
    EXPECT_TRUE(json["error"].isNull());
    EXPECT_TRUE(json["loaded"].toBool());

    const QJsonArray stations = json["stations"].toArray();
    ASSERT_EQ(stations.size(), 2);
    EXPECT_EQ(stations[0].toObject()["number"].toInt(), 1);
    EXPECT_EQ(stations[1].toObject()["number"].toInt(), 2);
    // Values are stored 0.0001 higher; R is scaled by 0.1 and TH by 0.001.
    EXPECT_EQ(static_cast<float>(stations[0].toObject()["abHalf"].toArray()[0].toDouble()), 1.5001f);
    EXPECT_EQ(static_cast<float>(stations[0].toObject()["deviation"].toArray()[0].toDouble()),
              static_cast<float>((10 + 0.0001) * 0.1));

    const QJsonObject ranges = json["ranges"].toObject();
    EXPECT_EQ(ranges["abMin"].toDouble(), 1.0);
    EXPECT_EQ(ranges["abMax"].toDouble(), 1000.0);
    EXPECT_EQ(ranges["rhoMin"].toDouble(), 10.0);
    EXPECT_EQ(ranges["rhoMax"].toDouble(), 1000.0);
    EXPECT_EQ(ranges["ipMin"].toDouble(), 0.0);
    EXPECT_EQ(ranges["ipMax"].toDouble(), 40.0);
    EXPECT_EQ(json["lengthsCm"].toObject()["x"].toDouble(), 18.75);
    EXPECT_EQ(json["lengthsCm"].toObject()["y"].toDouble(), 12.5);

    const QJsonObject axes = json["axes"].toObject();
    for (const char* name : {"top", "left", "bottom"})
        EXPECT_TRUE(axes[name].toObject()["logarithmic"].toBool()) << name;
    EXPECT_FALSE(axes["right"].toObject()["logarithmic"].toBool());
    EXPECT_EQ(axes["right"].toObject()["rangeMax"].toDouble(), 40.0);

    const QJsonObject curves = json["curves"].toObject();
    for (const char* name : {"res", "m1", "r", "th", "td", "zp"}) {
        const QJsonObject curve = curves[name].toObject();
        EXPECT_EQ(curve["xPoints"].toArray().size(), 3) << name;
        EXPECT_EQ(curve["yPoints"].toArray().size(), 3) << name;
        EXPECT_FALSE(curve["invalid"].toBool()) << name;
    }
    // AB/2 1.5001 on three decades of 625 units each, from 1 m.
    EXPECT_NEAR(curves["res"].toObject()["xPoints"].toArray()[0].toDouble(), std::log10(1.5001) * 625, 0.01);
}

TEST(InspectCommand, StationOptionComposesThatStationAndRefusesOneOutsideTheList) {
    clitest::TempFolder folder;
    const std::string file = folder.write("two.dat", clitest::twoStationColumnFile);
    const CommandRun second = inspect({file, "--station", "1"});
    ASSERT_EQ(second.status, 0);
    EXPECT_EQ(second.json()["curves"].toObject()["res"].toObject()["xPoints"].toArray().size(), 2);

    const CommandRun outside = inspect({file, "--station", "2"});
    EXPECT_EQ(outside.status, 2);
    EXPECT_TRUE(outside.out.empty());
    EXPECT_NE(outside.err.find("station index 2"), std::string::npos);
}

TEST(InspectCommand, KindFollowsTheExtensionUnlessGiven) {
    clitest::TempFolder folder;
    // A column file named like a tagged file is read by the tagged reader unless --kind says dat.
    const std::string file = folder.write("TWO.VES", clitest::twoStationColumnFile);
    EXPECT_EQ(inspect({file}).json()["kind"].toString(), "ves");
    const CommandRun asColumn = inspect({file, "--kind", "dat"});
    EXPECT_EQ(asColumn.json()["kind"].toString(), "dat");
    EXPECT_TRUE(asColumn.json()["loaded"].toBool());
}

TEST(InspectCommand, MissingFileRecordsBothMessagesAndKeepsTheResetRanges) {
    const CommandRun run = inspect({"/nonexistent/none.dat"});
    ASSERT_EQ(run.status, 0);
    const QJsonObject json = run.json();
    const QJsonArray messages = json["messages"].toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].toObject()["text"].toString(),
              QString::fromUtf8("无法打开数据文件:\n/nonexistent/none.dat"));
    EXPECT_EQ(messages[0].toObject()["caption"].toString(), QString::fromUtf8("警告"));
    EXPECT_EQ(messages[0].toObject()["icon"].toString(), "warning");
    EXPECT_EQ(messages[1].toObject()["text"].toString(), QString::fromUtf8("加载的数据文件没有电测深数据。"));
    EXPECT_EQ(messages[1].toObject()["icon"].toString(), "question");
    EXPECT_FALSE(json["loaded"].toBool());
    EXPECT_TRUE(json["stations"].toArray().isEmpty());
    EXPECT_EQ(json["ranges"].toObject()["abMin"].toDouble(), 10000.0);
    EXPECT_EQ(json["ranges"].toObject()["rhoMax"].toDouble(), -10000.0);
    EXPECT_TRUE(json["lengthsCm"].isNull());
    EXPECT_TRUE(json["axes"].isNull());
    EXPECT_TRUE(json["curves"].isNull());
}

TEST(InspectCommand, ConversionErrorEndsTheCommandAndKeepsTheStationsReadBefore) {
    clitest::TempFolder folder;
    const std::string file = folder.write("bad.dat", "测区\n电测深\n表头\n"
                                                     "1 1.5 0.5 100 1 1 1 1 1 1 0 0\n"
                                                     "2 1.5 0.5 abc 1 1 1 1 1 1 0 0\n");
    const CommandRun run = inspect({file});
    ASSERT_EQ(run.status, 0);
    const QJsonObject json = run.json();
    EXPECT_EQ(json["error"].toString(), "'abc' is not a valid floating point value");
    EXPECT_FALSE(json["loaded"].toBool());
    EXPECT_EQ(json["stations"].toArray().size(), 1);
    EXPECT_TRUE(json["ranges"].isNull());
    EXPECT_TRUE(json["curves"].isNull());
}

// A header row repeated among the readings (two instrument files joined): the message quotes the file's own
// word, decoded from GBK, not one replacement character per byte.
TEST(InspectCommand, ARepeatedHeaderRowIsQuotedInTheFilesOwnWords) {
    clitest::TempFolder folder;
    const std::string file =
        folder.write("joined.dat", "测区\n电测深\n点号 AB/2 MN/2 rho M1 R TH TD ZP 标志 备用 备用\n"
                                   "1 1.5 0.5 100 1 1 1 1 1 1 0 0\n"
                                   "点号 AB/2 MN/2 rho M1 R TH TD ZP 标志 备用 备用\n"
                                   "1 15 0.5 80 1 1 1 1 1 1 0 0\n");
    const CommandRun run = inspect({file});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.json()["error"].toString(), QString::fromUtf8("'标志' is not a valid integer value"));
}

TEST(InspectCommand, BundledSamplesLoadWithoutMessages) {
    for (const char* name : {"/sample-ip.dat", "/sample.ves"}) {
        const CommandRun run = inspect({std::string(VESPLOT_SAMPLE_DATA_DIR) + name});
        ASSERT_EQ(run.status, 0);
        EXPECT_TRUE(run.json()["loaded"].toBool()) << name;
        EXPECT_TRUE(run.json()["messages"].toArray().isEmpty()) << name;
    }
}

namespace {

// A stream buffer that takes `room` bytes and then fails, as a full disk does.
class FullBuffer : public std::streambuf {
public:
    explicit FullBuffer(std::size_t room) : room_(room) {}

protected:
    int_type overflow(int_type c) override {
        if (room_ == 0)
            return traits_type::eof();
        --room_;
        return traits_type::not_eof(c);
    }

private:
    std::size_t room_;
};

} // namespace

TEST(InspectCommand, AReportThatCannotBeWrittenWholeExitsWithOne) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    for (std::size_t room : {std::size_t{0}, std::size_t{100}}) {
        FullBuffer buffer(room);
        std::ostream out(&buffer);
        std::ostringstream err;
        EXPECT_EQ(runInspect({data}, out, err), 1);
        EXPECT_NE(err.str().find("could not be written"), std::string::npos);
    }
}

TEST(HeadlessCommands, AFailedAllocationEndsTheCommandWithTheMemoryMessage) {
    std::ostringstream err;
    EXPECT_EQ(runGuarded("export", err, []() -> int { throw std::bad_alloc(); }), 1);
    EXPECT_EQ(err.str(), "vesplot export: 内存不足，无法完成操作。\n");
}
