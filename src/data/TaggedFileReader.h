#pragma once

#include <filesystem>

#include <string>

#include "data/ReadReport.h"
#include "data/Station.h"
#include "data/StationBlock.h"

class DataFileStream;
class Ui;

// Pairs a measurement or auxiliary table may hold (200 is read, 201 refused).
inline constexpr int maxBlockPairs = 200;

// Reads a tagged sounding file (".ves") into `stations`, which it empties first. Messages about bad
// files go to `ui`; the main window owns two of them. A number on the count line that is no integer
// raises ConversionError. An empty list afterwards means nothing was loaded.
// Reports progress to ui.progress before each station block once progressStep bytes have passed,
// and at the end of the blocks; a cancel answer stops the reading at once (the file closed,
// `report->cancelled` set, the list incomplete). A tagged file has no rows to skip: skippedRows
// stays as it was.
void readTaggedFile(Ui& ui, const std::filesystem::path& fileName, StationList& stations,
                    ReadReport* report = nullptr);

// Reads one station block from `stream` into `block`. An empty `abHalf` afterwards (end of file, no
// points or a refused point count) ends the reading. Returns false, after showing the format message,
// when the block is malformed (a text where a number belongs, or the file ends inside the block
// after its header texts): the reading then ends without storing the block.
bool readStationBlock(DataFileStream& stream, StationBlock& block, Ui& ui);
