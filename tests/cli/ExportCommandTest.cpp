#include "cli/ExportCommand.h"

#include "CliFiles.h"
#include "render/SheetExport.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include <gtest/gtest.h>

#ifndef _WIN32
#ifndef _WIN32
#include <sys/stat.h> // mkfifo: a special file to refuse
#endif
#endif

namespace {

int exportSheet(const std::vector<std::string>& words, std::string* errText = nullptr) {
    std::ostringstream out, err;
    const int status = runExport(words, out, err);
    if (errText)
        *errText = err.str();
    return status;
}

bool dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

} // namespace

TEST(ExportCommand, PngFrameCornerLandsOnThePredictedPixel) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    const std::string png = folder.file("sheet.png");
    std::string err;
    ASSERT_EQ(exportSheet({data, "-o", png}, &err), 0) << err;
    const QImage image(QString::fromStdString(png));
    // 18.75 cm × 12.5 cm figure: the paper grows to 28 cm wide (18.75 × 1.5), stays 29 cm high.
    ASSERT_EQ(image.width(), 1058);  // 28 × 96 / 2.54
    ASSERT_EQ(image.height(), 1096); // 29 × 96 / 2.54
    // viewportX = (1058 − 96 × 18.75 / 2.54) × 0.5 = 174.67; viewportY = (1096 + 472.44) × 0.5 + 132.28 =
    // 916.5
    EXPECT_TRUE(dark(image, 174, 916));
    EXPECT_TRUE(dark(image, 174 + 300, 916));      // along the bottom axis
    EXPECT_TRUE(dark(image, 174, 916 - 300));      // along the left axis
    EXPECT_FALSE(dark(image, 174 - 40, 916 + 40)); // outside the frame, below and left
}

TEST(ExportCommand, PdfPageIsThePaperAtTrueSize) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    const std::string pdf = folder.file("sheet.pdf");
    ASSERT_EQ(exportSheet({data, "-o", pdf}), 0);
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    const QRegularExpressionMatch box =
        QRegularExpression(R"(/MediaBox \[\s*0\s+0\s+([0-9.]+)\s+([0-9.]+)\s*\])").match(text);
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble(), 28.0 / 2.54 * 72, 0.5); // 28 cm in points
    EXPECT_NEAR(box.captured(2).toDouble(), 29.7 / 2.54 * 72, 0.5); // the A4 height itself
}

TEST(ExportCommand, SvgAndBmpAreWritten) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    ASSERT_EQ(
        exportSheet({data, "-o", folder.file("sheet.svg"), "--params", "res,m1", "--symbols", "4,6,0,0,0,0"}),
        0);
    QFile svg(QString::fromStdString(folder.file("sheet.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray svgText = svg.readAll();
    EXPECT_TRUE(svgText.contains("width=\"280mm\""));
    // The dotted minor grid of the logarithmic axes stays dotted on a page, whatever the pen's width there.
    EXPECT_TRUE(svgText.contains("stroke-dasharray"));
    ASSERT_EQ(exportSheet({data, "-o", folder.file("sheet.bmp"), "--dpi", "50"}), 0);
    EXPECT_EQ(QImage(QString::fromStdString(folder.file("sheet.bmp"))).width(), 551); // 28 × 50 / 2.54
}

// The PNG writer has its own encoder: every pixel of the sample sheet with all six curves and their symbols
// must come out as the bitmap painted for the BMP, at screen and at print resolution.
TEST(ExportCommand, PngHoldsExactlyThePaintedSheet) {
    clitest::TempFolder folder;
    const std::string data = std::string(VESPLOT_SAMPLE_DATA_DIR) + "/sample-ip.dat";
    for (const char* dpi : {"96", "200"}) {
        SCOPED_TRACE(std::string(dpi) + " dpi");
        const std::vector<std::string> options = {"--dpi",     dpi,          "--params", "res,m1,r,td,th,zp",
                                                  "--symbols", "1,2,3,4,5,6"};
        std::vector<std::string> png = {data, "-o", folder.file("sheet.png")};
        std::vector<std::string> bmp = {data, "-o", folder.file("sheet.bmp")};
        png.insert(png.end(), options.begin(), options.end());
        bmp.insert(bmp.end(), options.begin(), options.end());
        std::string err;
        ASSERT_EQ(exportSheet(png, &err), 0) << err;
        ASSERT_EQ(exportSheet(bmp, &err), 0) << err;
        const QImage fromPng =
            QImage(QString::fromStdString(folder.file("sheet.png"))).convertToFormat(QImage::Format_RGB32);
        const QImage fromBmp =
            QImage(QString::fromStdString(folder.file("sheet.bmp"))).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(fromPng.isNull());
        ASSERT_EQ(fromPng.size(), fromBmp.size());
        EXPECT_EQ(fromPng.dotsPerMeterX(), fromBmp.dotsPerMeterX());
        int differing = 0;
        for (int y = 0; y < fromPng.height(); ++y)
            differing +=
                std::memcmp(fromPng.constScanLine(y), fromBmp.constScanLine(y), fromPng.width() * 4) != 0;
        EXPECT_EQ(differing, 0) << "rows that differ";
    }
}

TEST(ExportCommand, FailuresExitNonZeroWithAReason) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    std::string err;
    EXPECT_EQ(exportSheet({data}, &err), 2); // no -o
    EXPECT_EQ(exportSheet({data, "-o", folder.file("x.jpg")}, &err), 2);
    EXPECT_EQ(exportSheet({data, "-o", folder.file("x.png"), "--symbols", "1,2"}, &err), 2);
    EXPECT_EQ(exportSheet({data, "-o", folder.file("x.png"), "--station", "5"}, &err), 2);
    EXPECT_EQ(exportSheet({data, "--all", "--station", "1", "-o", folder.file("st-{station}.png")}, &err), 2);
    EXPECT_NE(err.find("--station and --all"), std::string::npos) << err;
    EXPECT_EQ(exportSheet({"/nonexistent/a.dat", "-o", folder.file("x.png")}, &err), 1);
    EXPECT_NE(err.find("no sounding station"), std::string::npos);
    EXPECT_EQ(exportSheet({data, "-o", "/nonexistent/folder/x.png"}, &err), 1);
    EXPECT_NE(err.find("cannot write"), std::string::npos);
}

TEST(ExportCommand, AllStationsAsOneFilePerStationOrOnePdfPagePerStation) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    std::string err;
    ASSERT_EQ(exportSheet({data, "--all", "-o", folder.file("st-{station}-{index}.png")}, &err), 0) << err;
    EXPECT_FALSE(QImage(QString::fromStdString(folder.file("st-1-0.png"))).isNull());
    EXPECT_FALSE(QImage(QString::fromStdString(folder.file("st-2-1.png"))).isNull());
    EXPECT_NE(err.find("2/2 stations"), std::string::npos);

    const std::string pdf = folder.file("all.pdf");
    ASSERT_EQ(exportSheet({data, "--all", "-o", pdf}, &err), 0) << err;
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    EXPECT_EQ(text.count(QRegularExpression(R"(/Type\s*/Page\b)")), 2);
    EXPECT_EQ(text.count(QRegularExpression(R"(/MediaBox \[\s*0\s+0\s+79[34][ .])")),
              2); // 28 cm wide, every page

    // A batch PNG name must tell the stations apart; unwritable outputs make the command fail.
    EXPECT_EQ(exportSheet({data, "--all", "-o", folder.file("same.png")}, &err), 2);
    EXPECT_EQ(exportSheet({data, "--all", "-o", "/nonexistent/st-{station}.png"}, &err), 1);
    EXPECT_NE(err.find("stopped at station 1 of 2"), std::string::npos);
}

namespace {

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t filesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

} // namespace

TEST(ExportCommand, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    for (const char* name : {"sheet.png", "sheet.bmp", "sheet.pdf", "sheet.svg", "new.png", "new.bmp"}) {
        SCOPED_TRACE(name);
        const std::filesystem::path target = folder.path / name;
        const bool existing = std::string(name).starts_with("sheet");
        if (existing)
            std::ofstream(target) << "old";
        const std::size_t before = filesIn(folder.path);
        failSheetFileWritesAfter(100);
        std::string err;
        const int status = exportSheet({data, "-o", target.string(), "--dpi", "20"}, &err);
        failSheetFileWritesAfter(std::nullopt);
        EXPECT_EQ(status, 1);
        EXPECT_NE(err.find("cannot write " + target.string() + ": No space left on device"),
                  std::string::npos)
            << err;
        EXPECT_EQ(filesIn(folder.path), before); // no temporary left behind
        if (existing)
            EXPECT_EQ(contentsOf(target), "old");
        else
            EXPECT_FALSE(std::filesystem::exists(target));
        std::filesystem::remove(target);
    }
}

TEST(ExportCommand, ABatchStopsAtTheFirstSheetThatCannotBeWritten) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    std::filesystem::create_directory(folder.path /
                                      "st-0.png"); // the first station's name is taken by a folder
    std::string err;
    EXPECT_EQ(exportSheet({data, "--all", "-o", folder.file("st-{index}.png"), "--dpi", "20"}, &err), 1);
    EXPECT_NE(err.find("cannot write " + folder.file("st-0.png")), std::string::npos) << err;
    EXPECT_NE(err.find("stopped at station 1 of 2"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(folder.path / "st-1.png"));
}

TEST(ExportCommand, OutputsAreRegularFilesOrNewNamesAndNeverTheDataFile) {
    namespace fs = std::filesystem;
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    fs::create_directory(folder.path / "folder.png");
    fs::create_directory_symlink(folder.path / "folder.png", folder.path / "to-folder.png");
    fs::create_symlink(folder.path / "two.dat", folder.path / "to-data.png");
    struct Case {
        fs::path output;
        std::string reason;
    };
    std::vector<Case> cases = {
        {folder.path / "folder.png", "is a folder"},
        {folder.path / "to-folder.png", "is a folder"},
        {folder.path / "to-data.png", "is the data file"},
    };
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder.path / "fifo.svg").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", folder.path / "to-null.pdf");
    cases.push_back({folder.path / "fifo.svg", "special file"});
    cases.push_back({folder.path / "to-null.pdf", "special file"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output.string());
        std::string err;
        EXPECT_EQ(exportSheet({data, "-o", c.output.string(), "--dpi", "20"}, &err), 1);
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    }
    // The data file named as the output through another path, and an export of a .png data file onto itself.
    const std::string dataAsPng = folder.write("data.png", clitest::twoStationColumnFile);
    std::string err;
    EXPECT_EQ(
        exportSheet({dataAsPng, "--kind", "dat", "-o", (folder.path / "." / "data.png").string()}, &err), 1);
    EXPECT_NE(err.find("is the data file being drawn"), std::string::npos) << err;
    EXPECT_EQ(contentsOf(dataAsPng), contentsOf(data));
    EXPECT_TRUE(fs::is_directory(folder.path / "folder.png"));
    EXPECT_FALSE(fs::is_regular_file("/dev/null"));
}

TEST(ExportCommand, BitmapsOverTheWindowsLimitAreRefusedBeforeTheyAreMade) {
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    for (const char* name : {"big.png", "big.bmp"}) {
        std::string err;
        EXPECT_EQ(exportSheet({data, "-o", folder.file(name), "--dpi", "2400"}, &err),
                  1); // 28 cm: 26456 pixels
        EXPECT_NE(err.find("图纸太大，无法以该分辨率导出！"), std::string::npos) << err;
        EXPECT_FALSE(std::filesystem::exists(folder.path / name));
    }
}

TEST(ExportCommand, AFileWhoseRangeWidensToInfinityFailsAlikeInEveryFormat) {
    clitest::TempFolder folder;
    const std::string data = folder.write("huge.dat", "测区\n电测深 激电\n点号\n"
                                                      "1 1.5 0.5 3.3e38 0.4 10 1000 5 3 1 0 0\n"
                                                      "1 15 0.5 120 12 100 5000 8 4 1 0 0\n");
    for (const char* name : {"huge.png", "huge.bmp", "huge.pdf", "huge.svg"}) {
        SCOPED_TRACE(name);
        std::string err;
        EXPECT_EQ(exportSheet({data, "-o", folder.file(name)}, &err), 1);
        EXPECT_EQ(err, "vesplot export: 警告: 数据的数值超出可绘制的范围，无法绘制图形。\n"
                       "vesplot export: " +
                           data + " cannot be drawn; nothing written\n");
        EXPECT_FALSE(std::filesystem::exists(folder.path / name));
    }
}

TEST(ExportCommand, InvertDrawsTheFittedInterpretationOnTheSheet) {
    clitest::TempFolder folder;
    const std::string data = std::string(VESPLOT_REAL_DATA_DIR) + "/boundiali.dat";
    std::string err;
    ASSERT_EQ(exportSheet({data, "--station", "0", "--invert", "3", "-o", folder.file("fit.svg")}, &err), 0)
        << err;
    const std::string svg = contentsOf(folder.path / "fit.svg");
    EXPECT_NE(svg.find("模型响应"), std::string::npos);
    EXPECT_NE(svg.find("层状模型"), std::string::npos);
    EXPECT_NE(svg.find("RMS = 4.1 %"), std::string::npos); // docs/realdata-fits.md: 4.06 %
    EXPECT_EQ(svg.find("M1 模型响应"), std::string::npos); // the file has no M1 values

    // The same sheet without --invert has none of it.
    ASSERT_EQ(exportSheet({data, "--station", "0", "-o", folder.file("plain.svg")}, &err), 0) << err;
    EXPECT_EQ(contentsOf(folder.path / "plain.svg").find("模型响应"), std::string::npos);

    // A PDF page per station, each with its own fit; a smooth fit alike.
    const std::string pdf = folder.file("all.pdf");
    ASSERT_EQ(exportSheet({data, "--all", "--invert", "3", "-o", pdf}, &err), 0) << err;
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(file.readAll()).count(QRegularExpression(R"(/Type\s*/Page\b)")), 4);
    EXPECT_NE(err.find("4/4 stations fitted"), std::string::npos) << err;
    ASSERT_EQ(exportSheet({data, "--station", "1", "--smooth", "-o", folder.file("smooth.svg")}, &err), 0)
        << err;
    EXPECT_NE(contentsOf(folder.path / "smooth.svg").find("模型响应"), std::string::npos);
}

TEST(ExportCommand, StationsThatCannotBeFittedAreReportedAndNotExported) {
    clitest::TempFolder folder;
    // Station 1 has three points, station 2 two: a 2-layer model (three parameters) fits only the first.
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    std::string err;
    EXPECT_EQ(exportSheet({data, "--all", "--invert", "2", "-o", folder.file("st-{index}.svg")}, &err), 1);
    EXPECT_NE(err.find("station 2 (index 1) cannot be fitted"), std::string::npos) << err;
    EXPECT_TRUE(std::filesystem::exists(folder.path / "st-0.svg"));
    EXPECT_FALSE(std::filesystem::exists(folder.path / "st-1.svg"));
    EXPECT_NE(contentsOf(folder.path / "st-0.svg").find("模型响应"), std::string::npos);

    // One PDF holds the pages of the stations fitted.
    EXPECT_EQ(exportSheet({data, "--all", "--invert", "2", "-o", folder.file("all.pdf")}, &err), 1);
    QFile file(QString::fromStdString(folder.file("all.pdf")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(file.readAll()).count(QRegularExpression(R"(/Type\s*/Page\b)")), 1);

    // A single station that cannot be fitted writes nothing.
    EXPECT_EQ(exportSheet({data, "--station", "1", "--invert", "2", "-o", folder.file("one.png")}, &err), 1);
    EXPECT_NE(err.find("cannot be fitted"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(folder.path / "one.png"));
    // Nor do files where no station can be fitted.
    EXPECT_EQ(exportSheet({data, "--all", "--invert", "5", "-o", folder.file("none.pdf")}, &err), 1);
    EXPECT_NE(err.find("no station could be fitted"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(folder.path / "none.pdf"));

    // Wrong fit options are usage errors.
    EXPECT_EQ(exportSheet({data, "--invert", "0", "-o", folder.file("x.png")}, &err), 2);
    EXPECT_EQ(exportSheet({data, "--invert", "15", "-o", folder.file("x.png")}, &err),
              2); // beyond a fit's count
    EXPECT_EQ(exportSheet({data, "--invert", "3", "--smooth", "-o", folder.file("x.png")}, &err), 2);
    EXPECT_NE(err.find("--invert K | --smooth"), std::string::npos);
}
