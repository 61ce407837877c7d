#pragma once

#include <QImage>
#include <QWidget>

// The sheet image inside the scroll box: shows the sheet (the whole paper, centred when the
// widget is larger) and reports mouse presses, moves with a button held and releases in its own pixel
// coordinates to the click editor.
class SheetImageWidget : public QWidget {
    Q_OBJECT

public:
    explicit SheetImageWidget(QWidget* parent = nullptr);

    // The sheet bitmap; paint on it, then call update() to show the result.
    QImage& picture() { return sheetPicture; }
    const QImage& picture() const { return sheetPicture; }
    // Replaces the bitmap and gives the image the bitmap's size.
    void setPicture(const QImage& image);
    // What the screen shows instead of the bitmap: the same sheet at the screen's device pixel
    // ratio, drawn smooth; the bitmap is shown while it is null.
    const QImage& screenPicture() const { return smoothPicture; }
    void setScreenPicture(const QImage& image);

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void mouseMoved(int x, int y);
    void mouseUp(Qt::MouseButton button, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage sheetPicture;
    QImage smoothPicture;
};
