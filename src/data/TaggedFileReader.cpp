#include "TaggedFileReader.h"

#include <cstdint>
#include <string_view>

#include "core/Conversions.h"
#include "core/FilePath.h"
#include "core/Ui.h"
#include "data/DataFileStream.h"
#include "data/FileNumbers.h"
#include "data/ReadProgress.h"

namespace {

// The keywords "Zu电法数据" and "测深" in the file's encoding.
struct Keywords {
    std::string_view file, sounding;
};
constexpr Keywords gbkKeywords{"Zu\xB5\xE7\xB7\xA8\xCA\xFD\xBE\xDD", "\xB2\xE2\xC9\xEE"};
constexpr Keywords utf8Keywords{"Zu电法数据", "测深"};
constexpr std::string_view vesKeyword = "VES";

constexpr const char* warningCaption = "警告";
constexpr const char* formatMessage = "数据格式不正确，请检查数据文件。";

void showFormatMessage(Ui& ui) {
    ui.messageBox(formatMessage, warningCaption, MsgButtons::Ok, MsgIcon::Warning, false);
}

// Reads lines until one holds at least one character; false at the end of the file.
bool readNonEmptyLine(DataFileStream& stream, std::string_view& line) {
    while (stream.readLine(line)) {
        if (!line.empty())
            return true;
    }
    return false;
}

// Reads the rest of the current line, trimmed, then further lines while it is blank. False at the
// end of the file.
bool readTextLine(DataFileStream& stream, std::string& text) {
    std::string_view line;
    for (;;) {
        if (!stream.readLine(line)) {
            text.clear();
            return false;
        }
        line = trimBlanks(line);
        if (!line.empty()) {
            text.assign(line);
            return true;
        }
    }
}

enum class NumberRead { Read, End, Invalid };

NumberRead readFloat(DataFileStream& stream, float& value) {
    std::string_view word;
    if (!stream.readWord(word))
        return NumberRead::End;
    double parsed = 0;
    if (stream.lastReadCut() || !tryParseFileFloat(word, parsed) || !toStoredFloat(parsed, value))
        return NumberRead::Invalid;
    return NumberRead::Read;
}

NumberRead readInteger(DataFileStream& stream, std::int32_t& value) {
    std::string_view word;
    if (!stream.readWord(word))
        return NumberRead::End;
    int parsed = 0;
    if (stream.lastReadCut() || !tryParseInt(word, parsed))
        return NumberRead::Invalid;
    value = parsed;
    return NumberRead::Read;
}

// Reads `count` pairs into the two tables, or only checks them when the tables are not given; false
// when a number is missing or no number.
bool readPairs(DataFileStream& stream, std::int32_t count, std::vector<float>* first = nullptr,
               std::vector<float>* second = nullptr) {
    for (std::int32_t k = 0; k < count; ++k) {
        float a = 0, b = 0;
        if (readFloat(stream, a) != NumberRead::Read || readFloat(stream, b) != NumberRead::Read)
            return false;
        if (first && second) {
            first->push_back(a);
            second->push_back(b);
        }
    }
    return true;
}

} // namespace

bool readStationBlock(DataFileStream& stream, StationBlock& block, Ui& ui) {
    block.abHalf.clear();
    block.resistivity.clear();

    if (!readTextLine(stream, block.name))
        return true;

    // The two header values and four header texts are read past: nothing uses them. Up to the
    // header texts, the end of the file only ends the reading; a wrong number is a bad block.
    for (int k = 0; k < 2; ++k) {
        float headerValue = 0;
        NumberRead read = readFloat(stream, headerValue);
        if (read == NumberRead::End)
            return true;
        if (read == NumberRead::Invalid) {
            showFormatMessage(ui);
            return false;
        }
    }
    std::string headerText;
    for (int k = 0; k < 4; ++k) {
        if (!readTextLine(stream, headerText))
            return true;
    }

    std::int32_t pointCount = 0;
    if (readInteger(stream, pointCount) != NumberRead::Read) {
        showFormatMessage(ui);
        return false;
    }
    if (pointCount > maxBlockPairs) {
        showFormatMessage(ui);
        return true;
    }
    if (pointCount > 0) {
        block.abHalf.reserve(static_cast<std::size_t>(pointCount));
        block.resistivity.reserve(static_cast<std::size_t>(pointCount));
    }
    if (!readPairs(stream, pointCount, &block.abHalf, &block.resistivity)) {
        showFormatMessage(ui);
        return false;
    }

    // The auxiliary pairs are checked, not kept: nothing uses them.
    std::int32_t auxCount = 0;
    if (readInteger(stream, auxCount) != NumberRead::Read) {
        showFormatMessage(ui);
        return false;
    }
    if (auxCount > maxBlockPairs) {
        // The block is kept; the next one is looked for among the unread pairs.
        showFormatMessage(ui);
        return true;
    }
    if (!readPairs(stream, auxCount)) {
        showFormatMessage(ui);
        return false;
    }
    return true;
}

void readTaggedFile(Ui& ui, const std::filesystem::path& fileName, StationList& stations,
                    ReadReport* report) {
    stations.clear();
    StationBlock block;

    DataFileStream stream;
    if (!stream.open(fileName)) {
        ui.messageBox("无法打开数据文件:\n" + pathToUtf8(fileName), warningCaption, MsgButtons::Ok,
                      MsgIcon::Warning, true);
        return;
    }

    const Keywords& keywords = stream.encoding() == TextEncoding::Gbk ? gbkKeywords : utf8Keywords;
    std::string_view line;
    if (!readNonEmptyLine(stream, line)) {
        ui.messageBox("文件操作失败！\n打开的文件是空的电法数据文件。", warningCaption, MsgButtons::Ok,
                      MsgIcon::Warning, true);
        return;
    }
    if (line.find(keywords.file) == std::string_view::npos)
        return;

    if (!readNonEmptyLine(stream, line))
        return;
    if (line.find(keywords.sounding) == std::string_view::npos ||
        line.find(vesKeyword) == std::string_view::npos) {
        ui.messageBox("文件操作失败！\n打开的文件不是有效的VES电法数据文件。", warningCaption, MsgButtons::Ok,
                      MsgIcon::Warning, false);
        return;
    }

    if (!readNonEmptyLine(stream, line)) {
        ui.messageBox("文件操作失败！\n打开的文件不是有效的电法数据文件。", warningCaption, MsgButtons::Ok,
                      MsgIcon::Warning, true);
        return;
    }
    // Compared unsigned: a negative count reads blocks until one has no points.
    const auto blockCount = static_cast<std::uint32_t>(parseFileInt(line, stream.encoding(), ui));

    ReadProgress progress(ui, stream, report);
    for (std::uint32_t i = 0; i < blockCount; ++i) {
        if (!progress.keepReading())
            return;
        if (!readStationBlock(stream, block, ui))
            break;
        if (block.abHalf.empty()) {
            ui.processPendingMessages();
            break;
        }
        int number = 0;
        if (!tryParseInt(block.name, number))
            number = static_cast<std::int32_t>(i);

        // A tagged file has no IP values and no MN/2: those columns, like the station number and the
        // point code, hold one value for all points.
        const std::size_t points = block.abHalf.size();
        Station station;
        station.stationNumber.assign(points, number);
        station.pointCode.assign(points, pointCodeValue);
        station.abHalf = block.abHalf;
        station.resistivity = block.resistivity;
        station.chargeability.assign(points, missingValue);
        station.deviation.assign(points, missingValue);
        station.halfDecayTime.assign(points, missingValue);
        station.decay.assign(points, missingValue);
        station.compositeParameter.assign(points, missingValue);
        station.mnHalf.assign(points, 0.0f);
        stations.push_back(std::move(station));
    }
    progress.finish();
}
