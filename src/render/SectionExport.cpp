#include "render/SectionExport.h"

#include "render/QtCanvas.h"
#include "render/SheetBitmap.h"
#include "render/SheetExport.h"
#include "section/SectionSheet.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>

namespace {

QString extensionOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).suffix().toLower();
}

// Pixels of `units` 0.1 mm at `dpi`, rounded up so the whole sheet fits.
int pixelsOf(int units, int dpi) {
    return static_cast<int>(std::ceil(units * dpi / 254.0));
}

std::string writePdf(const SectionSheet& section, const std::string& path,
                     const std::filesystem::path& dataFile) {
    return writeFileWhole(path, dataFile, [&](QIODevice& out) -> std::string {
        QPdfWriter writer(&out);
        writer.setResolution(pdfPageResolution);
        writer.setCreator(QStringLiteral("vesplot"));
        writer.setTitle(QStringLiteral("测线剖面图"));
        const QPageSize page(QSizeF(section.width() / 10.0, section.height() / 10.0), QPageSize::Millimeter,
                             QString(), QPageSize::ExactMatch);
        writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer))
            return "the PDF file could not be started";
        {
            QtCanvas canvas(painter, pdfPageResolution, pdfPageResolution);
            paintSection(section, canvas, writer.height());
        }
        if (!painter.end())
            return "the PDF file could not be finished";
        return {};
    });
}

std::string writeSvg(const SectionSheet& section, const std::string& path,
                     const std::filesystem::path& dataFile) {
    return writeFileWhole(path, dataFile, [&](QIODevice& out) -> std::string {
        const QSize size(section.width(), section.height()); // 0.1 mm user units
        QSvgGenerator generator;
        generator.setOutputDevice(&out);
        generator.setResolution(svgUnitsPerInch);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QStringLiteral("测线剖面图"));
        QPainter painter;
        if (!painter.begin(&generator))
            return "the SVG file could not be started";
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        {
            QtCanvas canvas(painter, svgUnitsPerInch, svgUnitsPerInch);
            paintSection(section, canvas, size.height());
        }
        if (!painter.end())
            return "the SVG file could not be finished";
        return {};
    });
}

} // namespace

void paintSection(const SectionSheet& section, Canvas& canvas, int pixelHeight) {
    const MapMode savedMode = canvas.setMapMode(MapMode::LoMetric);
    canvas.setViewportOrigin(0, pixelHeight);
    canvas.setWindowOrigin(0, 0);
    section.draw(canvas);
    canvas.setMapMode(savedMode);
}

BitmapSize sectionBitmapSize(const SectionSheet& section, int dpi) {
    return {pixelsOf(section.width(), dpi), pixelsOf(section.height(), dpi)};
}

QImage sectionImage(const SectionSheet& section, int dpi, QtCanvas::Rendering rendering) {
    const BitmapSize size = sectionBitmapSize(section, dpi);
    if (size.width <= 0 || size.height <= 0 || size.width > maxSheetBitmapSide ||
        size.height > maxSheetBitmapSide)
        return {};
    QImage image = makeSheetBitmap(size.width, size.height);
    if (image.isNull())
        return image;
    const int dotsPerMetre = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    QtCanvas canvas(painter, dpi, dpi, rendering);
    paintSection(section, canvas, size.height);
    return image;
}

bool isSectionFileFormat(const std::string& path) {
    const QString extension = extensionOf(path);
    return extension == "pdf" || extension == "svg" || extension == "png";
}

std::string writeSectionFile(const SectionSheet& section, const std::string& path, int dpi,
                             const std::filesystem::path& dataFile) {
    if (!section.laidOut())
        return "the section has not been laid out";
    const QString extension = extensionOf(path);
    if (extension == "pdf")
        return writePdf(section, path, dataFile);
    if (extension == "svg")
        return writeSvg(section, path, dataFile);
    if (extension == "png") {
        const BitmapSize size = sectionBitmapSize(section, dpi);
        if (size.width > maxSheetBitmapSide || size.height > maxSheetBitmapSide)
            return sheetTooLargeForExportMessage;
        const QImage image = sectionImage(section, dpi);
        if (image.isNull())
            return "the section is too large for a bitmap at this resolution";
        return writePngImage(image, path, dpi, dataFile);
    }
    return "unknown output format '" + extension.toStdString() + "' (use .pdf, .svg or .png)";
}
