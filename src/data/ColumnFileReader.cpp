#include "ColumnFileReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "core/FilePath.h"
#include "core/Ui.h"
#include "data/DataFileStream.h"
#include "data/FileNumbers.h"
#include "data/ReadProgress.h"

namespace {

// The full-width comma "，" in GBK and in UTF-8.
constexpr std::string_view gbkFullWidthComma = "\xA3\xAC";
constexpr std::string_view utf8FullWidthComma = "\xEF\xBC\x8C";

// Points a new record makes room for: a sounding has a few dozen; at most as many as the record
// before it had, up to a bound that keeps one odd giant record from inflating the next.
constexpr std::size_t initialPoints = 16;
constexpr std::size_t maxReservedPoints = 1024;

// Reads lines until one holds at least one character; false at the end of the file or at a cancel.
bool skipHeaderLine(DataFileStream& stream, ReadProgress& progress) {
    std::string_view line;
    while (progress.keepReading() && stream.readLine(line)) {
        if (!line.empty())
            return true;
    }
    return false;
}

struct Row {
    std::int32_t number = 0;
    float abHalf = 0, resistivity = 0, chargeability = 0, deviation = 0, halfDecayTime = 0, decay = 0,
          compositeParameter = 0, mnHalf = 0;
};

// Converts the twelve fields (throwing on a text that is no number) and applies the validity test.
bool convertRow(const std::vector<std::string_view>& fields, TextEncoding encoding, const Ui& ui, Row& row) {
    double value[columnCount];
    for (std::size_t c = 0; c < columnCount; ++c)
        value[c] = parseFileFloat(fields[c], encoding, ui);

    bool valid = truncateToInt32(value[0] + 0.005, row.number);
    float stored[8] = {}; // columns 2 to 9
    for (std::size_t c = 1; c <= 8; ++c)
        valid = toStoredFloat(value[c] + 0.0001, stored[c - 1]) && valid;
    std::int32_t flag = 0;
    valid = truncateToInt32(value[9] + 0.0001, flag) && valid;
    if (!valid)
        return false;

    row.abHalf = stored[0];
    // MN/2 as written (the instruments' third column), kept for modelling finite electrode spacings.
    row.mnHalf = std::isfinite(value[2]) && std::fabs(value[2]) < 1e30 ? static_cast<float>(value[2]) : 0.0f;
    row.resistivity = stored[2];
    row.chargeability = stored[3];
    row.deviation = stored[4];
    row.halfDecayTime = stored[5];
    row.decay = stored[6];
    row.compositeParameter = stored[7];
    if (row.number > maxStationNumber || !(row.abHalf >= 0.1 && row.abHalf <= 100000.0) ||
        !(row.resistivity > 0) || flag == 0)
        return false;

    // A missing-value marker stays a marker instead of being scaled into an ordinary number.
    if (!isMissing(row.deviation))
        row.deviation = static_cast<float>(static_cast<double>(row.deviation) * 0.1);
    if (!isMissing(row.halfDecayTime))
        row.halfDecayTime = static_cast<float>(static_cast<double>(row.halfDecayTime) * 0.001);
    return true;
}

// Byte classes of the field splitter: part of a field, a one-byte separator, or a byte that may
// start a multi-byte character: in GBK every byte from 0x81 (the lead byte of a two-byte character,
// which may be the full-width comma), in UTF-8 only the lead byte of the full-width comma (the other
// bytes of a UTF-8 character are never separators, so they are passed one by one).
enum ByteClass : unsigned char { fieldByte, separatorByte, leadByte };

template <TextEncoding encoding>
constexpr std::array<unsigned char, 256> byteClasses = [] {
    std::array<unsigned char, 256> classes{};
    classes[' '] = classes[','] = classes['\t'] = separatorByte;
    if constexpr (encoding == TextEncoding::Gbk) {
        for (int c = 0x81; c < 0x100; ++c)
            classes[static_cast<std::size_t>(c)] = leadByte;
    } else {
        classes[static_cast<unsigned char>(utf8FullWidthComma[0])] = leadByte;
    }
    return classes;
}();

template <TextEncoding encoding> ByteClass classOf(char c) {
    return static_cast<ByteClass>(byteClasses<encoding>[static_cast<unsigned char>(c)]);
}

template <TextEncoding encoding>
void splitFieldsIn(std::string_view line, std::vector<std::string_view>& fields) {
    static constexpr std::string_view comma =
        encoding == TextEncoding::Gbk ? gbkFullWidthComma : utf8FullWidthComma;
    // A lead byte's character: the full-width comma, or how many bytes the field goes on with.
    constexpr std::size_t otherCharacter = encoding == TextEncoding::Gbk ? 2 : 1;
    fields.clear();
    line = trimBlanks(line);
    const char* p = line.data();
    const char* const end = p + line.size();
    auto isFullWidthComma = [end](const char* at) {
        return static_cast<std::size_t>(end - at) >= comma.size() &&
               std::string_view(at, comma.size()) == comma;
    };
    while (p < end && fields.size() < maxFields) {
        // Separators, runs of them counting as one.
        for (; p < end; ++p) {
            ByteClass c = classOf<encoding>(*p);
            if (c == fieldByte)
                break;
            if (c == leadByte) {
                if (!isFullWidthComma(p))
                    break;
                p += comma.size() - 1;
            }
        }
        if (p == end)
            break;
        const char* start = p;
        while (p < end) {
            ByteClass c = classOf<encoding>(*p);
            if (c == fieldByte) {
                ++p;
            } else if (c == separatorByte) {
                break;
            } else if (isFullWidthComma(p)) {
                break;
            } else {
                p += std::min<std::size_t>(otherCharacter, static_cast<std::size_t>(end - p));
            }
        }
        fields.push_back(trimBlanks(std::string_view(start, static_cast<std::size_t>(p - start))));
    }
}

} // namespace

void splitFields(std::string_view line, std::vector<std::string_view>& fields, TextEncoding encoding) {
    if (encoding == TextEncoding::Gbk)
        splitFieldsIn<TextEncoding::Gbk>(line, fields);
    else
        splitFieldsIn<TextEncoding::Utf8>(line, fields);
}

std::optional<std::size_t> findStation(std::int32_t number, const StationList& stations) {
    return findStationIndex(stations, number);
}

void readColumnFile(Ui& ui, const std::filesystem::path& fileName, StationList& stations,
                    ReadReport* report) {
    DataFileStream stream;
    if (!stream.open(fileName)) {
        ui.showMessage("无法打开数据文件:\n" + pathToUtf8(fileName));
        return;
    }
    ReadProgress progress(ui, stream, report);
    for (int header = 0; header < 3; ++header) {
        if (!skipHeaderLine(stream, progress)) {
            progress.finish();
            return;
        }
    }

    // Station number -> position in the list, so that the lookup per row is constant time; the
    // first record of a number wins, as for findStation.
    std::unordered_map<std::int32_t, std::size_t> positions;
    for (std::size_t k = 0; k < stations.size(); ++k) {
        if (!stations[k].stationNumber.empty())
            positions.emplace(stations[k].stationNumber[0], k);
    }

    const TextEncoding encoding = stream.encoding();
    std::vector<std::string_view> fields;
    fields.reserve(maxFields);
    std::string_view line;
    Row row;
    std::size_t last = stations.size(); // the record of the previous row
    // Counted in the report as the rows go, so that the count stands also when a row throws.
    std::uint64_t uncounted = 0;
    std::uint64_t& skipped = report ? report->skippedRows : uncounted;
    while (progress.keepReading() && stream.readLine(line)) {
        if (stream.lastReadCut()) {
            // Longer than any row of twelve numbers can sensibly be: an invalid row.
            ++skipped;
            continue;
        }
        splitFields(line, fields, encoding);
        if (fields.size() != columnCount) {
            skipped += fields.empty() ? 0 : 1;
            continue;
        }
        if (parseFileInt(fields[9], encoding, ui) == 0) {
            ++skipped;
            continue;
        }
        if (!convertRow(fields, encoding, ui, row)) {
            ++skipped;
            ui.processPendingMessages();
            continue;
        }
        // Rows of one station mostly follow each other: the last record is checked first.
        if (last >= stations.size() || stations[last].stationNumber[0] != row.number) {
            auto [at, added] = positions.try_emplace(row.number, stations.size());
            if (added) {
                // A sounding is mostly as long as the one before it: room for that many points saves
                // growing every column of the record step by step.
                const std::size_t previous = last < stations.size() ? stations[last].size() : 0;
                stations.emplace_back().reserve(std::clamp(previous, initialPoints, maxReservedPoints));
            }
            last = at->second;
        }
        stations[last].appendPoint(row.number, row.abHalf, row.resistivity, row.chargeability, row.deviation,
                                   row.halfDecayTime, row.decay, row.compositeParameter, row.mnHalf);
    }
    progress.finish();
}
