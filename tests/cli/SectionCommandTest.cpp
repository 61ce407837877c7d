#include "cli/SectionCommand.h"

#include "CliFiles.h"
#include "cli/MessageRecorder.h"
#include "model/ForwardModel.h"
#include "section/SectionSheet.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <cmath>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

namespace {

const std::string sampleIp = VESPLOT_SAMPLE_DATA_DIR "/sample-ip.dat";
const std::string boundiali = VESPLOT_REAL_DATA_DIR "/boundiali.dat";

int section(const std::vector<std::string>& words, std::string* errText = nullptr) {
    std::ostringstream out, err;
    const int status = runSection(words, out, err);
    if (errText)
        *errText = err.str();
    return status;
}

// The MediaBox of a one-page PDF in points.
QSizeF mediaBox(const std::string& pdf) {
    QFile file(QString::fromStdString(pdf));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpressionMatch box =
        QRegularExpression(R"(/MediaBox \[\s*0\s+0\s+([0-9.]+)\s+([0-9.]+)\s*\])")
            .match(QString::fromLatin1(file.readAll()));
    return box.hasMatch() ? QSizeF(box.captured(1).toDouble(), box.captured(2).toDouble()) : QSizeF();
}

} // namespace

TEST(SectionCommand, PdfPageIsTheSectionAtTrueSize) {
    clitest::TempFolder folder;
    const std::string pdf = folder.file("res.pdf");
    std::string err;
    ASSERT_EQ(section({sampleIp, "-o", pdf, "--spacing", "20"}, &err), 0) << err;

    MessageRecorder ui;
    SheetState state(ui);
    PlotChoices choices;
    ASSERT_EQ(loadDataFile(state, choices, sampleIp, DataFileKind::Column, ui), OpenOutcome::Loaded);
    SectionOptions options;
    options.spacing = 20;
    SectionSheet sheet;
    ASSERT_TRUE(sheet.layoutPseudosection(state.stations, options));
    // 0.1 mm units to points: / 254 × 72.
    const QSizeF box = mediaBox(pdf);
    EXPECT_NEAR(box.width(), sheet.width() / 254.0 * 72, 0.5);
    EXPECT_NEAR(box.height(), sheet.height() / 254.0 * 72, 0.5);
}

TEST(SectionCommand, PngPixelsFollowTheResolution) {
    clitest::TempFolder folder;
    ASSERT_EQ(section({sampleIp, "-o", folder.file("a.png"), "--dpi", "50"}), 0);
    ASSERT_EQ(section({sampleIp, "-o", folder.file("b.png"), "--dpi", "100"}), 0);
    const QImage low(QString::fromStdString(folder.file("a.png")));
    const QImage high(QString::fromStdString(folder.file("b.png")));
    ASSERT_FALSE(low.isNull());
    EXPECT_NEAR(high.width(), 2 * low.width(), 1);
    EXPECT_NEAR(high.height(), 2 * low.height(), 1);
}

TEST(SectionCommand, ModelSectionOfFittedStationsIsWritten) {
    clitest::TempFolder folder;
    const std::string svg = folder.file("model.svg");
    std::string err;
    ASSERT_EQ(section({boundiali, "-o", svg, "--param", "model", "--layers", "2", "--spacing", "50"}, &err),
              0)
        << err;
    EXPECT_GT(std::filesystem::file_size(svg), 1000u);
}

// A column file of a line of `stations` three-layer soundings whose interfaces deepen along the line, 16
// readings each from 1.5 to 300 m; the station numbered `short_` keeps only its first two readings.
std::string lineFile(clitest::TempFolder& folder, int stations, int short_) {
    std::string text = "测区\n电测深\n点号 AB/2 MN/2 rho M1 R TH TD ZP 标志 备用 备用\n";
    for (int s = 1; s <= stations; ++s) {
        model::LayeredModel earth;
        earth.layers = {{100.0, 3.0 + 0.2 * s}, {20.0, 10.0 + s}, {500.0, 0.0}};
        std::vector<double> ab2;
        for (int k = 0; k < (s == short_ ? 2 : 16); ++k)
            ab2.push_back(1.5 * std::pow(200.0, k / 15.0));
        const std::vector<double> rho = model::apparentResistivity(earth, ab2);
        for (std::size_t k = 0; k < ab2.size(); ++k)
            text += std::to_string(s) + " " + std::to_string(ab2[k]) + " 0 " + std::to_string(rho[k]) +
                    " 1 10 100 5 3 1 0 0\n";
    }
    return folder.write("line.dat", text);
}

TEST(SectionCommand, LaterallyConstrainedModelSection) {
    clitest::TempFolder folder;
    const std::string data = lineFile(folder, 8, 5);
    const std::string svg = folder.file("lateral.svg");
    std::string err;
    ASSERT_EQ(section({data, "-o", svg, "--param", "model", "--lateral", "--spacing", "20"}, &err), 0) << err;
    EXPECT_GT(std::filesystem::file_size(svg), 1000u);
    EXPECT_NE(err.find("laterally constrained, weight "), std::string::npos) << err;
    // The short station could not take part; it is named, and the others are drawn.
    EXPECT_NE(err.find("station index 4: Too few usable points"), std::string::npos) << err;
    const std::string png = folder.file("given.png");
    ASSERT_EQ(section({data, "-o", png, "--param", "model", "--lateral", "0.5"}, &err), 0) << err;
    EXPECT_NE(err.find("weight 0.5,"), std::string::npos) << err;
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    // The weight is optional: an option after --lateral is no weight.
    ASSERT_EQ(section({data, "--param", "model", "--lateral", "-o", png}, &err), 0) << err;
    const struct {
        std::vector<std::string> words;
    } refused[] = {
        {{data, "-o", svg, "--lateral"}},                                 // not the model section
        {{data, "-o", svg, "--param", "model", "--lateral", "0"}},        // no positive weight
        {{data, "-o", svg, "--param", "model", "--lateral", "--smooth"}}, // no layered model
    };
    for (const auto& c : refused)
        EXPECT_EQ(section(c.words, &err), 2) << c.words.back();
}

TEST(SectionCommand, RefusalsExitWithAReasonAndWriteNothing) {
    clitest::TempFolder folder;
    const std::string one =
        folder.write("one.dat", "测区\n电测深\n点号 AB/2 MN/2 rho M1 R TH TD ZP 标志 备用 备用\n"
                                "7 1.5 0.5 80 1 10 100 5 3 1 0 0\n"
                                "7 15 0.5 40 1 10 100 5 3 1 0 0\n");
    const std::string copy = folder.file("line.pdf"); // a data file with an output's name
    std::filesystem::copy_file(sampleIp, copy);
    const std::string out = folder.file("out.pdf");
    const struct {
        std::vector<std::string> words;
        int status;
    } cases[] = {
        {{one, "-o", out}, 1},                             // a single station makes no section
        {{sampleIp, "-o", out, "--spacing", "0"}, 2},      // no spacing
        {{sampleIp, "-o", out, "--spacing", "1e-9"}, 2},   // one that labels every station 0
        {{sampleIp, "-o", out, "--spacing", "1e-308"}, 2}, // likewise
        {{sampleIp, "-o", out, "--scale", "-5"}, 2},       // a negative scale
        {{sampleIp, "-o", out, "--scale", "0"}, 2},        // 1:0 (the automatic scale is the option left out)
        {{sampleIp, "-o", out, "--param", "model", "--layers", "3", "--smooth"}, 2}, // two fits asked for
        {{sampleIp, "-o", out, "--spacing", "far"}, 2},                              // not a number
        {{sampleIp, "-o", out, "--param", "rho"}, 2},                                // unknown parameter
        {{sampleIp, "-o", out, "--layers", "2"}, 2}, // a fit option without the model section
        {{sampleIp, "-o", out, "--param", "model", "--layers", "15"}, 2}, // more layers than a fit takes
        {{sampleIp, "-o", out, "--param", "model", "--layers", "0"}, 2},  // fewer than one
        {{sampleIp, "-o", folder.file("out.bmp")}, 2}, // a format sections are not written in
        {{sampleIp}, 2},                               // no output
        {{copy, "--kind", "dat", "-o", copy}, 1},      // never onto the data file
        {{folder.file("missing.dat"), "-o", out}, 1},  // no such file
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(section(c.words, &err), c.status) << c.words.back();
        EXPECT_FALSE(err.empty()) << c.words.back();
        EXPECT_FALSE(std::filesystem::exists(out)) << c.words.back();
        EXPECT_FALSE(std::filesystem::exists(folder.file("out.bmp")));
    }
    EXPECT_EQ(std::filesystem::file_size(copy), std::filesystem::file_size(sampleIp));
}
