#include "app/SheetImageWidget.h"

#include <QMouseEvent>
#include <QPainter>

SheetImageWidget::SheetImageWidget(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SheetImageWidget::setPicture(const QImage& image) {
    sheetPicture = image;
    resize(image.size());
    update();
}

void SheetImageWidget::setScreenPicture(const QImage& image) {
    smoothPicture = image;
    update();
}

void SheetImageWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QImage& shown = smoothPicture.isNull() ? sheetPicture : smoothPicture;
    if (shown.isNull())
        return;
    // Centred picture: a bitmap smaller than the image sits in its middle.
    const QSize size = shown.deviceIndependentSize().toSize();
    painter.drawImage(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), shown);
}

void SheetImageWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void SheetImageWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mouseMoved(at.x(), at.y());
}

void SheetImageWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mouseUp(event->button(), at.x(), at.y());
}
