#pragma once

#include <filesystem>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataFileStream.h"
#include "data/ReadReport.h"
#include "data/Station.h"

class Ui;

// Fields of a line the splitter records at most.
inline constexpr std::size_t maxFields = 100;
// Fields of a data row.
inline constexpr std::size_t columnCount = 12;
// Station numbers above this are refused.
inline constexpr std::int32_t maxStationNumber = 20000;

// Reads a column data file (".dat") and appends its stations to `stations` (which it does not
// empty), grouping rows by station number in order of first appearance. A UTF-8 file reads as its
// GBK twin (DataFileStream decides the encoding). A field of a 12-field row
// that is no number raises ConversionError; the stations appended before stay.
// Reports progress to ui.progress every progressStep bytes and once at the end; a cancel answer
// stops the reading at once (the file closed, `report->cancelled` set, the stations incomplete).
// `report->skippedRows` (counted from its value on entry) grows by one for every line after the
// three header lines that holds at least one field and yet adds no point: a line of other than 12
// fields, a 12-field row whose column 10 is 0, and a row that fails the validity test. Lines without
// fields (empty, blanks or separators only) are not counted.
void readColumnFile(Ui& ui, const std::filesystem::path& fileName, StationList& stations,
                    ReadReport* report = nullptr);

// Splits a line into its fields: runs of bytes between separators (space, comma, tab and the
// full-width comma, in the line's encoding), each trimmed. Records at most maxFields fields. The
// views point into `line`.
void splitFields(std::string_view line, std::vector<std::string_view>& fields,
                 TextEncoding encoding = TextEncoding::Gbk);

// Index of the first station whose number is `number`.
std::optional<std::size_t> findStation(std::int32_t number, const StationList& stations);
