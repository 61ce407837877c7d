#include "data/ColumnFileProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "DataFiles.h"
#include "ScriptedUi.h"

namespace {

using datatest::TempFolder;

const std::string rows = "1 2 0.5 100 1 1 1 1 1 1 0 0\n2 2 0.5 100 1 1 1 1 1 1 0 0\n";
const std::string noDataMessage = "打开的数据文件没有数据";

struct Probe {
    ScriptedUi ui;
    StationList stations;
    bool sounding = false;
};

void probe(Probe& result, const std::string& utf8Text) {
    TempFolder folder;
    result.sounding = probeColumnFile(result.ui, folder.writeGbk("survey.dat", utf8Text), result.stations);
}

TEST(ColumnFileProbe, SecondNonEmptyLineDecides) {
    Probe r;
    probe(r, "\n\n测区\r\n\r\n\r\n对称四极 电测深 IP\r\n标题\r\n" + rows);
    EXPECT_TRUE(r.sounding);
    EXPECT_EQ(r.stations.size(), 2u);
    EXPECT_TRUE(r.ui.messages.empty());

    Probe other;
    probe(other, "测深\n剖面\n标题\n" + rows);
    EXPECT_FALSE(other.sounding);
    EXPECT_TRUE(other.stations.empty());
    EXPECT_TRUE(other.ui.messages.empty());

    // A line of spaces is a line: here it is the second one.
    Probe spaces;
    probe(spaces, "A\n  \n测深\n" + rows);
    EXPECT_FALSE(spaces.sounding);
}

TEST(ColumnFileProbe, HeaderWithoutRowsStillCountsAsSoundingFile) {
    Probe r;
    probe(r, "A\n测深\nC\n");
    EXPECT_TRUE(r.sounding);
    EXPECT_TRUE(r.stations.empty());
    EXPECT_TRUE(r.ui.messages.empty());
}

TEST(ColumnFileProbe, FileEndingBeforeItsSecondLine) {
    for (const std::string& text :
         {std::string(), std::string("\n\n"), std::string("测深\n\n\n"), std::string("测深")}) {
        Probe r;
        probe(r, text);
        EXPECT_FALSE(r.sounding);
        ASSERT_EQ(r.ui.messages.size(), 1u) << text;
        EXPECT_EQ(r.ui.messages[0].text, noDataMessage);
        EXPECT_EQ(r.ui.messages[0].caption, "警告");
        EXPECT_EQ(r.ui.messages[0].icon, MsgIcon::Error);
    }
    Probe last;
    probe(last, "A\n测深");
    EXPECT_TRUE(last.sounding);
    EXPECT_TRUE(last.ui.messages.empty());
}

TEST(ColumnFileProbe, FileThatCannotBeOpened) {
    Probe r;
    const std::string name = "/nonexistent/folder/survey.dat";
    r.sounding = probeColumnFile(r.ui, name, r.stations);
    EXPECT_FALSE(r.sounding);
    ASSERT_EQ(r.ui.messages.size(), 1u);
    EXPECT_EQ(r.ui.messages[0].text, "无法打开数据文件:\n" + name);
    EXPECT_EQ(r.ui.messages[0].caption, "警告");
    EXPECT_EQ(r.ui.messages[0].icon, MsgIcon::Warning);

    TempFolder folder;
    Probe dir;
    dir.sounding = probeColumnFile(dir.ui, folder.path.string(), dir.stations);
    EXPECT_FALSE(dir.sounding);
    EXPECT_EQ(dir.ui.messages.size(), 1u);
}

TEST(ColumnFileProbe, ReadOnlyFileAndLongHeaderLines) {
    TempFolder folder;
    const std::string file = folder.writeGbk("survey.dat", std::string(600000, 'h') + "\n" +
                                                               std::string(600000, 'i') + "测深\nC\n" + rows);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    const auto before = std::filesystem::last_write_time(file);
    Probe r;
    r.sounding = probeColumnFile(r.ui, file, r.stations);
    EXPECT_TRUE(r.sounding);
    EXPECT_EQ(r.stations.size(), 2u);
    EXPECT_TRUE(r.ui.messages.empty());
    EXPECT_EQ(std::filesystem::last_write_time(file), before);
}

} // namespace
