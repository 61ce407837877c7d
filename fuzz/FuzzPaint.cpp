// libFuzzer entry for the whole drawing path: the input opened as a column file and as a tagged file,
// then every station composed and painted into a recording canvas and a small bitmap.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "RecordingCanvas.h"
#include "cli/MessageRecorder.h"
#include "core/ConversionError.h"
#include "render/QtCanvas.h"
#include "sheet/Composer.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"
#include "sheet/SheetView.h"

namespace {

const std::string& inputPath() {
    static const std::string path = [] {
        std::string folder = std::filesystem::is_directory("/dev/shm")
                                 ? "/dev/shm"
                                 : std::filesystem::temp_directory_path().string();
        return folder + "/vesplot-fuzz-paint-" + std::to_string(std::random_device{}());
    }();
    return path;
}

void paintEveryStation(const std::string& path, DataFileKind kind) {
    MessageRecorder ui;
    SheetState state(ui);
    PlotChoices choices;
    try {
        if (loadDataFile(state, choices, path, kind, ui) != OpenOutcome::Loaded)
            return;
    } catch (const ConversionError&) {
        return;
    }
    choices.ticked.fill(true);
    for (std::size_t i = 0; i < state.stations.size() && i < 8; ++i) {
        choices.stationIndex = static_cast<int>(i);
        if (!composeSheet(state, choices) || !sheetDrawable(state))
            continue;
        RecordingCanvas recording;
        paintSheet(state, choices, recording, 400, 300, ui);
        QImage image(200, 150, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QtCanvas canvas(painter, 12, 12);
        paintSheet(state, choices, canvas, image.width(), image.height(), ui);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Fonts and images need a GUI application, but no display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = inputPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    paintEveryStation(path, DataFileKind::Column);
    paintEveryStation(path, DataFileKind::Tagged);
    std::remove(path.c_str());
    return 0;
}
