#include "ColumnFileProbe.h"

#include <string_view>

#include "core/FilePath.h"
#include "core/Ui.h"
#include "data/ColumnFileReader.h"
#include "data/DataFileStream.h"
#include "data/ReadProgress.h"

namespace {

// "测深" in GBK and in UTF-8.
constexpr std::string_view gbkSoundingKeyword = "\xB2\xE2\xC9\xEE";
constexpr std::string_view utf8SoundingKeyword = "测深";

} // namespace

bool probeColumnFile(Ui& ui, const std::filesystem::path& fileName, StationList& stations,
                     ReadReport* report) {
    bool sounding = false;
    {
        DataFileStream stream;
        if (!stream.open(fileName)) {
            ui.messageBox("无法打开数据文件:\n" + pathToUtf8(fileName), "警告", MsgButtons::Ok,
                          MsgIcon::Warning, true);
            return false;
        }
        ReadProgress progress(ui, stream, report);
        std::string_view line;
        for (int wanted = 0; wanted < 2; ++wanted) {
            bool read = stream.readLine(line);
            while (line.empty()) {
                if (!progress.keepReading())
                    return false;
                if (!read || !(read = stream.readLine(line))) {
                    ui.messageBox("打开的数据文件没有数据", "警告", MsgButtons::Ok, MsgIcon::Error, true);
                    return false;
                }
            }
        }
        sounding =
            line.find(stream.encoding() == TextEncoding::Gbk ? gbkSoundingKeyword : utf8SoundingKeyword) !=
            std::string_view::npos;
    }
    if (sounding)
        readColumnFile(ui, fileName, stations, report);
    return sounding;
}
