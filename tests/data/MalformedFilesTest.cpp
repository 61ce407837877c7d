// Malformed survey files (tests/data/bad/, named after what each one probes): every file has a defined
// outcome, and no file crashes or hangs any reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DataFiles.h"
#include "ScriptedUi.h"
#include "core/ConversionError.h"
#include "data/ColumnFileProbe.h"
#include "data/ColumnFileReader.h"
#include "data/TaggedFileReader.h"

namespace {

const std::string badDir = VESPLOT_BAD_DATA_DIR "/";
const std::string formatMessage = "数据格式不正确，请检查数据文件。";

struct Outcome {
    std::string file;
    std::size_t stations;
    std::vector<std::string> messages;
    std::string error; // ConversionError text, empty when none
};

struct Result {
    ScriptedUi ui;
    StationList stations;
    std::string error;
};

void read(Result& r, const std::string& path) {
    try {
        if (path.ends_with(".ves"))
            readTaggedFile(r.ui, path, r.stations);
        else
            probeColumnFile(r.ui, path, r.stations);
    } catch (const ConversionError& e) {
        r.error = e.what();
    }
}

std::vector<std::string> texts(const ScriptedUi& ui) {
    std::vector<std::string> all;
    for (const ScriptedMessage& m : ui.messages)
        all.push_back(m.text);
    return all;
}

TEST(MalformedFiles, EachHasItsDefinedOutcome) {
    const std::vector<Outcome> outcomes = {
        {"empty.ves", 0, {"文件操作失败！\n打开的文件是空的电法数据文件。"}, ""},
        {"empty.dat", 0, {"打开的数据文件没有数据"}, ""},
        {"binary-noise.ves", 0, {}, ""},
        {"binary-noise.dat", 0, {}, ""},
        {"nul-bytes.ves", 1, {formatMessage}, ""},
        {"nul-bytes.dat", 2, {}, "'1\uFFFD0' is not a valid floating point value"},
        {"truncated-block.ves", 1, {formatMessage}, ""},
        {"truncated-pairs.ves", 1, {formatMessage}, ""},
        {"truncated-row.dat", 2, {}, ""},
        {"count-2147483647.ves", 2, {}, ""},
        {"count-minus-1.ves", 3, {}, ""},
        {"count-overflow.ves", 0, {}, "'99999999999' is not a valid integer value"},
        {"number-1e999.ves", 1, {formatMessage}, ""},
        {"number-1e999.dat", 1, {}, "'1e999' is not a valid floating point value"},
        {"number-nan.ves", 1, {formatMessage}, ""},
        {"number-nan.dat", 1, {}, "'nan' is not a valid floating point value"},
        {"number-inf.ves", 1, {formatMessage}, ""},
        {"number-inf.dat", 1, {}, "'inf' is not a valid floating point value"},
        {"number-hex.ves", 1, {formatMessage}, ""},
        {"number-hex.dat", 1, {}, "'0x10' is not a valid floating point value"},
        {"decimal-comma.ves", 1, {formatMessage}, ""},
        {"decimal-comma.dat", 2, {}, ""}, // "1,5" makes 13 fields: the row is skipped
        {"text-for-number.ves", 1, {formatMessage}, ""},
        {"text-for-number.dat", 1, {}, "'abc' is not a valid floating point value"},
        {"header-only.ves", 0, {}, ""},
        {"header-only.dat", 0, {}, ""},
        {"utf8-text.ves", 1, {}, ""}, // UTF-8 text reads as its GBK twin
        {"utf8-text.dat", 1, {}, ""},
    };
    for (const Outcome& o : outcomes) {
        Result r;
        read(r, badDir + o.file);
        EXPECT_EQ(r.stations.size(), o.stations) << o.file;
        EXPECT_EQ(texts(r.ui), o.messages) << o.file;
        EXPECT_EQ(r.error, o.error) << o.file;
    }
}

TEST(MalformedFiles, NoFileCrashesAnyReader) {
    // Also the inputs kept from fuzzing; each is read by all three entry points.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(badDir)) {
        const std::string path = entry.path().string();
        for (int reader = 0; reader < 3; ++reader) {
            ScriptedUi ui;
            StationList stations;
            try {
                if (reader == 0)
                    readTaggedFile(ui, path, stations);
                else if (reader == 1)
                    readColumnFile(ui, path, stations);
                else
                    probeColumnFile(ui, path, stations);
            } catch (const ConversionError&) {
            }
            for (const Station& s : stations) {
                EXPECT_FALSE(s.empty()) << path;
                EXPECT_EQ(s.stationNumber.size(), s.abHalf.size()) << path;
                EXPECT_EQ(s.compositeParameter.size(), s.abHalf.size()) << path;
            }
            EXPECT_LE(ui.messages.size(), 2u) << path;
        }
        ++files;
    }
    EXPECT_GE(files, 28u);
}

TEST(MalformedFiles, MegabyteLines) {
    datatest::TempFolder folder;
    const std::string megabyte(1 << 20, 'A');
    std::string pairs;
    for (int k = 0; k < (1 << 19); ++k)
        pairs += "1 ";

    Result name;
    read(name, folder.writeGbk("long-name.ves",
                               "Zu电法数据\n测深VES\n1\n" + megabyte + "\n0 0\na\nb\nc\nd\n1\n2 20\n0\n"));
    ASSERT_EQ(name.stations.size(), 1u);
    EXPECT_EQ(name.stations[0].stationNumber[0], 0); // not an integer: the block index
    EXPECT_TRUE(name.ui.messages.empty());

    Result single;
    read(single, folder.writeGbk("single-line.ves", megabyte));
    EXPECT_TRUE(single.stations.empty());
    EXPECT_TRUE(single.ui.messages.empty());

    Result fields;
    read(fields,
         folder.writeGbk("many-fields.dat", "A\n测深\nC\n" + pairs + "\n5 2 1 50 1 1 1 1 1 1 0 0\n" + pairs));
    ASSERT_EQ(fields.stations.size(), 1u);
    EXPECT_EQ(fields.stations[0].stationNumber[0], 5);

    Result probe;
    read(probe, folder.writeGbk("single-line.dat", megabyte));
    EXPECT_EQ(probe.ui.messages.size(), 1u);
}

} // namespace
