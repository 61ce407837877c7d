// Survey files written in UTF-8 read exactly as their GBK twins: keywords, the full-width comma and the
// texts shown in messages; the encoding is decided once per file from its start.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DataFiles.h"
#include "ScriptedUi.h"
#include "core/ConversionError.h"
#include "data/ColumnFileProbe.h"
#include "data/ColumnFileReader.h"
#include "data/DataFileStream.h"
#include "data/TaggedFileReader.h"

namespace {

using datatest::TempFolder;

struct Load {
    ScriptedUi ui;
    StationList stations;
    std::string error;
    bool probed = false;
};

// Reads a file with the reader its extension chooses, the column file through the header probe.
void read(Load& r, const std::string& path) {
    try {
        if (path.ends_with(".ves"))
            readTaggedFile(r.ui, path, r.stations);
        else
            r.probed = probeColumnFile(r.ui, path, r.stations);
    } catch (const ConversionError& e) {
        r.error = e.what();
    }
}

void expectSameLoad(const Load& gbk, const Load& utf8, const std::string& what) {
    EXPECT_EQ(gbk.stations, utf8.stations) << what;
    EXPECT_EQ(gbk.error, utf8.error) << what;
    EXPECT_EQ(gbk.probed, utf8.probed) << what;
    EXPECT_EQ(gbk.ui.pendingMessageCalls, utf8.ui.pendingMessageCalls) << what;
    ASSERT_EQ(gbk.ui.messages.size(), utf8.ui.messages.size()) << what;
    for (std::size_t k = 0; k < gbk.ui.messages.size(); ++k) {
        const ScriptedMessage &a = gbk.ui.messages[k], &b = utf8.ui.messages[k];
        EXPECT_EQ(a.text, b.text) << what;
        EXPECT_EQ(a.caption, b.caption) << what;
        EXPECT_EQ(a.icon, b.icon) << what;
        EXPECT_EQ(a.owned, b.owned) << what;
    }
}

TEST(Utf8Files, EncodingIsDecidedFromTheFileStart) {
    EXPECT_EQ(detectEncoding(""), TextEncoding::Gbk);
    EXPECT_EQ(detectEncoding("1 1.5 0.5 100 1 1 1 1 1 1 0 0\r\n"), TextEncoding::Gbk); // ASCII reads the same
    EXPECT_EQ(detectEncoding(utf8ToGbk("Zu电法数据\n测深VES\n")), TextEncoding::Gbk);
    EXPECT_EQ(detectEncoding("Zu电法数据\n测深VES\n"), TextEncoding::Utf8);
    EXPECT_EQ(detectEncoding("\xEF\xBB\xBF"
                             "1\n"),
              TextEncoding::Utf8); // byte order mark
    // A character cut by the end of the probe still counts as UTF-8; a broken one anywhere does not.
    EXPECT_EQ(detectEncoding("测深\xE6\xB7"), TextEncoding::Utf8);
    EXPECT_EQ(detectEncoding("测深\xE6\x41"), TextEncoding::Gbk);
    EXPECT_EQ(detectEncoding("测深 " + utf8ToGbk("测深")), TextEncoding::Gbk);
    // Overlong forms, surrogates and bytes beyond U+10FFFF are no UTF-8.
    EXPECT_EQ(detectEncoding("\xC0\xAF"), TextEncoding::Gbk);
    EXPECT_EQ(detectEncoding("\xE0\x80\xAF"), TextEncoding::Gbk);
    EXPECT_EQ(detectEncoding("\xED\xA0\x80"), TextEncoding::Gbk);
    EXPECT_EQ(detectEncoding("\xF4\x90\x80\x80"), TextEncoding::Gbk);
    EXPECT_EQ(detectEncoding("\xF0\x9F\x98\x80"), TextEncoding::Utf8);

    // Only the first encodingProbeBytes decide: a GBK character after them does not turn a UTF-8 file.
    TempFolder folder;
    DataFileStream stream;
    std::string text = "测深\n" + std::string(encodingProbeBytes, 'x') + utf8ToGbk("测深");
    ASSERT_TRUE(stream.open(folder.writeBytes("late.dat", text)));
    EXPECT_EQ(stream.encoding(), TextEncoding::Utf8);
    std::string_view line;
    ASSERT_TRUE(stream.readLine(line));
    EXPECT_EQ(line, "测深"); // the probe's read-ahead is not lost
    ASSERT_TRUE(stream.readLine(line));
    EXPECT_EQ(line.size(), encodingProbeBytes + 4);
    EXPECT_FALSE(stream.readLine(line));
}

TEST(Utf8Files, FullWidthCommaSeparatesInEitherEncoding) {
    const std::vector<std::string_view> expected = {"1", "1.5", "0.5", "一", "2"};
    std::vector<std::string_view> fields;
    splitFields("1，1.5 ， 0.5,，一\t2，", fields, TextEncoding::Utf8);
    EXPECT_EQ(fields, expected);

    std::string gbk = utf8ToGbk("1，1.5 ， 0.5,，一\t2，");
    splitFields(gbk, fields, TextEncoding::Gbk);
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(gbkToUtf8(fields[3]), "一");

    // UTF-8 characters that hold the comma's GBK bytes (裬 is E8 A3 AC) or share its lead byte
    // (U+FF0D, EF BC 8D) are field text.
    splitFields("1裬2 3－4", fields, TextEncoding::Utf8);
    EXPECT_EQ(fields, (std::vector<std::string_view>{"1裬2", "3－4"}));
    // A UTF-8 comma cut off at the line end is field text too.
    splitFields("1 2\xEF\xBC", fields, TextEncoding::Utf8);
    EXPECT_EQ(fields, (std::vector<std::string_view>{"1", "2\xEF\xBC"}));
}

TEST(Utf8Files, ColumnFileWithFullWidthCommasReadsAsItsGbkTwin) {
    const std::string text = "测区一\n激电测深 对称四极\n点号，AB/2，MN/2，视电阻率\n"
                             "1，1.5，0.5，100，2，3，4，5，6，1，0，0\n"
                             "2 ，3 ，0.5，120，2，3，4，5，6，1，0，0\r\n"
                             "1, 3，0.5，90，2，3，4，5，6，1，0，0";
    TempFolder folder;
    Load gbk, utf8;
    read(gbk, folder.writeGbk("gbk.dat", text));
    read(utf8, folder.writeBytes("utf8.dat", text));
    expectSameLoad(gbk, utf8, "full-width commas");
    ASSERT_EQ(utf8.stations.size(), 2u);
    EXPECT_TRUE(utf8.probed);
    EXPECT_EQ(utf8.stations[0].abHalf, (std::vector<float>{1.5001f, 3.0001f}));
    EXPECT_FLOAT_EQ(utf8.stations[0].deviation[0], 0.30001f);
    EXPECT_EQ(utf8.stations[1].stationNumber[0], 2);

    // Without "测深" on the second line neither twin is read, silently.
    Load gbkPlain, utf8Plain;
    read(gbkPlain,
         folder.writeGbk("gbk-plain.dat", "测区一\n对称四极\n点号\n1 1.5 0.5 100 1 1 1 1 1 1 0 0\n"));
    read(utf8Plain,
         folder.writeBytes("utf8-plain.dat", "测区一\n对称四极\n点号\n1 1.5 0.5 100 1 1 1 1 1 1 0 0\n"));
    expectSameLoad(gbkPlain, utf8Plain, "no keyword");
    EXPECT_FALSE(utf8Plain.probed);
    EXPECT_TRUE(utf8Plain.ui.messages.empty());
}

TEST(Utf8Files, MessagesShowTheFileTextInEitherEncoding) {
    TempFolder folder;
    const std::string text = "测区\n测深\n点号\n1 1.5 0.5 一百 1 1 1 1 1 1 0 0\n";
    Load gbk, utf8;
    read(gbk, folder.writeGbk("gbk.dat", text));
    read(utf8, folder.writeBytes("utf8.dat", text));
    expectSameLoad(gbk, utf8, "Chinese field");
    EXPECT_EQ(utf8.error, "'一百' is not a valid floating point value");

    // A byte that is no UTF-8 after the decided start shows as the replacement character.
    Load late;
    read(late, folder.writeBytes("late.dat", "测区\n测深\n点号\n" + std::string(encodingProbeBytes, '\n') +
                                                 "1 1.5 0.5 1\xB0\xD9 1 1 1 1 1 1 0 0\n"));
    EXPECT_EQ(late.error, "'1\uFFFD\uFFFD' is not a valid floating point value");

    // The tagged reader's keyword checks and count line.
    Load gbkVes, utf8Ves;
    read(gbkVes, folder.writeGbk("gbk.ves", "Zu电法数据\n测深ves\n"));
    read(utf8Ves, folder.writeBytes("utf8.ves", "Zu电法数据\n测深ves\n"));
    expectSameLoad(gbkVes, utf8Ves, "lower-case ves");
    ASSERT_EQ(utf8Ves.ui.messages.size(), 1u);
    EXPECT_EQ(utf8Ves.ui.messages[0].text, "文件操作失败！\n打开的文件不是有效的VES电法数据文件。");

    Load gbkCount, utf8Count;
    read(gbkCount, folder.writeGbk("gbk-count.ves", "Zu电法数据\n测深VES\n两\n"));
    read(utf8Count, folder.writeBytes("utf8-count.ves", "Zu电法数据\n测深VES\n两\n"));
    expectSameLoad(gbkCount, utf8Count, "count line");
    EXPECT_EQ(utf8Count.error, "'两' is not a valid integer value");
}

// Every sample, malformed and field file read in GBK and as UTF-8 (the GBK bytes converted) gives the
// same stations, messages and errors. A file already in UTF-8 is compared with its GBK form instead.
TEST(Utf8Files, EveryKnownFileReadsTheSameInBothEncodings) {
    TempFolder folder;
    std::size_t compared = 0, nonAscii = 0, withoutTwin = 0;
    for (const char* dir : {VESPLOT_SAMPLE_DATA_DIR, VESPLOT_BAD_DATA_DIR, VESPLOT_REAL_DATA_DIR}) {
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            const std::string path = entry.path().string();
            const std::string extension = entry.path().extension().string();
            if (extension != ".ves" && extension != ".dat")
                continue;
            const std::string bytes = datatest::readBytes(path);
            std::string gbk, utf8;
            if (detectEncoding(bytes) == TextEncoding::Utf8) {
                utf8 = bytes;
                gbk = utf8ToGbk(bytes);
            } else {
                gbk = bytes;
                utf8 = gbkToUtf8(bytes);
            }
            // Bytes that are no GBK text (noise) have no exact UTF-8 twin.
            if (gbkToUtf8(gbk) != utf8 || utf8ToGbk(utf8) != gbk) {
                ++withoutTwin;
                continue;
            }
            if (utf8 != gbk) {
                ++nonAscii;
                // The twin must be taken for UTF-8, or the comparison proves nothing.
                EXPECT_EQ(detectEncoding(utf8), TextEncoding::Utf8) << path;
            }
            const std::string name = entry.path().stem().string();
            Load fromGbk, fromUtf8;
            read(fromGbk, folder.writeBytes(name + "-gbk" + extension, gbk));
            read(fromUtf8, folder.writeBytes(name + "-utf8" + extension, utf8));
            expectSameLoad(fromGbk, fromUtf8, path);
            ++compared;
        }
    }
    EXPECT_GE(compared, 30u);
    EXPECT_GE(nonAscii, 20u);
    EXPECT_LE(withoutTwin, 2u);
}

} // namespace
