#pragma once

// A main window shown offscreen with a scripted Ui and counting stand-ins for the editing dialogs,
// plus the sample files and small survey files written as GBK bytes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <memory>
#include <string>

#include "ScriptedUi.h"
#include "app/FileCommands.h"
#include "app/MainWindow.h"
#include "app/SheetEditing.h"
#include "app/SheetImageWidget.h"
#include "render/GbkCodec.h"
#include "sheet/SheetView.h"

namespace apptest {

inline QString sampleFile(const char* name) {
    return QStringLiteral(VESPLOT_SAMPLE_DATA_DIR "/") + QString::fromUtf8(name);
}

inline QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A pixel that is clearly drawn on (not the white paper).
inline bool inked(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 160;
}

// Drawn on at the pixel or one of its eight neighbours (a point rounded the other way).
inline bool inkedNear(const QImage& image, QPoint at) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (inked(image, at.x() + dx, at.y() + dy))
                return true;
    return false;
}

class SheetWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto scripted = std::make_unique<ScriptedUi>();
        ui = scripted.get();
        form.setUi(std::move(scripted));
        form.editing().titleDialog = [this](TextItem&, float& gap) {
            ++titleCalls;
            if (titleAccepts)
                gap = newTitleGapCm;
            return titleAccepts;
        };
        form.editing().axisDialog = [this](Axis& axis, const QString& caption, float* limitMin,
                                           float* limitMax) {
            ++axisCalls;
            lastAxis = &axis;
            lastAxisCaption = caption;
            if (axisEdit)
                return axisEdit(axis, limitMin, limitMax);
            return false;
        };
        form.editing().penDialog = [this](Pen& pen) {
            ++penCalls;
            // The pen dialog changes the pen while the user works, then the user cancels.
            pen.width = penWidthTyped;
            return false;
        };
        form.show();
        QCoreApplication::processEvents();
    }

    // A survey file written as GBK bytes in the test's folder.
    QString writeFile(const QString& name, const std::string& utf8) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string bytes = utf8ToGbk(utf8);
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    void openColumnSample() { form.openDataPath(sampleFile("sample-ip.dat"), DataFileKind::Column); }
    void openTaggedSample() { form.openDataPath(sampleFile("sample.ves"), DataFileKind::Tagged); }

    const QImage& picture() const { return form.sheetImage->picture(); }

    // The sheet image pixel of the figure's lower-left corner, as the screen maps the sheet.
    QPoint viewport() const {
        const Point corner = sheetViewport(*form.sheet, form.screenDpiX(), form.screenDpiY(),
                                           picture().width(), picture().height());
        return {corner.x, corner.y};
    }
    // The sheet image pixel of a logical point under the screen's mapping.
    QPoint pixelOf(double x, double y) const {
        const double dpiX = form.screenDpiX();
        const double dpiY = form.screenDpiY();
        return {static_cast<int>(viewport().x() + x * dpiX / 254.0 + 0.5),
                static_cast<int>(viewport().y() - y * dpiY / 254.0 + 0.5)};
    }
    // A click half-way along segment i of a curve.
    void clickOnCurve(const Curve& curve, std::size_t i) {
        clickAt(curve.x1 + (curve.xPoints[i] + curve.xPoints[i + 1]) * 0.5,
                curve.y1 + (curve.yPoints[i] + curve.yPoints[i + 1]) * 0.5);
    }
    void clickAt(double x, double y) {
        const QPoint at = pixelOf(x, y);
        form.editing().onSheetImagePressed(Qt::LeftButton, Qt::NoModifier, at.x(), at.y());
        form.editing().onSheetImageReleased(Qt::LeftButton, at.x(), at.y());
    }

    MainWindow form;
    ScriptedUi* ui = nullptr;
    QTemporaryDir folder;
    int titleCalls = 0;
    bool titleAccepts = false;
    float newTitleGapCm = 3.5f;
    int axisCalls = 0;
    Axis* lastAxis = nullptr;
    QString lastAxisCaption;
    std::function<bool(Axis&, float*, float*)> axisEdit;
    int penCalls = 0;
    int penWidthTyped = 1;
};

} // namespace apptest
