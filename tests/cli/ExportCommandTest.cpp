#include "cli/ExportCommand.h"

#include "CliFiles.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <cstring>
#include <sstream>

#include <gtest/gtest.h>

namespace {

int exportSheet(const std::vector<std::string>& words, std::string* errText = nullptr)
{
    std::ostringstream out, err;
    const int status = runExport(words, out, err);
    if (errText)
        *errText = err.str();
    return status;
}

bool dark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

} // namespace

TEST(ExportCommand, PngFrameCornerLandsOnThePredictedPixel)
{
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    const std::string png = folder.file("sheet.png");
    std::string err;
    ASSERT_EQ(exportSheet({data, "-o", png}, &err), 0) << err;
    const QImage image(QString::fromStdString(png));
    // 18.75 cm × 12.5 cm figure: the paper grows to 28 cm wide (18.75 × 1.5), stays 29 cm high.
    ASSERT_EQ(image.width(), 1058);  // 28 × 96 / 2.54
    ASSERT_EQ(image.height(), 1096); // 29 × 96 / 2.54
    // viewportX = (1058 − 96 × 18.75 / 2.54) × 0.5 = 174.67; viewportY = (1096 + 472.44) × 0.5 + 132.28 = 916.5
    EXPECT_TRUE(dark(image, 174, 916));
    EXPECT_TRUE(dark(image, 174 + 300, 916)); // along the bottom axis
    EXPECT_TRUE(dark(image, 174, 916 - 300)); // along the left axis
    EXPECT_FALSE(dark(image, 174 - 40, 916 + 40)); // outside the frame, below and left
}

TEST(ExportCommand, PdfPageIsThePaperAtTrueSize)
{
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

TEST(ExportCommand, SvgAndBmpAreWritten)
{
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    ASSERT_EQ(exportSheet({data, "-o", folder.file("sheet.svg"), "--params", "res,m1", "--symbols", "4,6,0,0,0,0"}),
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
TEST(ExportCommand, PngHoldsExactlyThePaintedSheet)
{
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
            differing += std::memcmp(fromPng.constScanLine(y), fromBmp.constScanLine(y), fromPng.width() * 4) != 0;
        EXPECT_EQ(differing, 0) << "rows that differ";
    }
}

TEST(ExportCommand, FailuresExitNonZeroWithAReason)
{
    clitest::TempFolder folder;
    const std::string data = folder.write("two.dat", clitest::twoStationColumnFile);
    std::string err;
    EXPECT_EQ(exportSheet({data}, &err), 2); // no -o
    EXPECT_EQ(exportSheet({data, "-o", folder.file("x.jpg")}, &err), 2);
    EXPECT_EQ(exportSheet({data, "-o", folder.file("x.png"), "--symbols", "1,2"}, &err), 2);
    EXPECT_EQ(exportSheet({data, "-o", folder.file("x.png"), "--station", "5"}, &err), 2);
    EXPECT_EQ(exportSheet({"/nonexistent/a.dat", "-o", folder.file("x.png")}, &err), 1);
    EXPECT_NE(err.find("no sounding station"), std::string::npos);
    EXPECT_EQ(exportSheet({data, "-o", "/nonexistent/folder/x.png"}, &err), 1);
    EXPECT_NE(err.find("cannot write"), std::string::npos);
}

TEST(ExportCommand, AllStationsAsOneFilePerStationOrOnePdfPagePerStation)
{
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
    EXPECT_EQ(text.count(QRegularExpression(R"(/MediaBox \[\s*0\s+0\s+79[34][ .])")), 2); // 28 cm wide, every page

    // A batch PNG name must tell the stations apart; unwritable outputs make the command fail.
    EXPECT_EQ(exportSheet({data, "--all", "-o", folder.file("same.png")}, &err), 2);
    EXPECT_EQ(exportSheet({data, "--all", "-o", "/nonexistent/st-{station}.png"}, &err), 1);
    EXPECT_NE(err.find("2 of 2 sheets could not be written"), std::string::npos);
}
