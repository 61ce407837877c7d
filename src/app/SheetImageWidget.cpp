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

void SheetImageWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (sheetPicture.isNull())
        return;
    // Centred picture: a bitmap smaller than the image sits in its middle.
    const int left = (width() - sheetPicture.width()) / 2;
    const int top = (height() - sheetPicture.height()) / 2;
    painter.drawImage(QPoint(left, top), sheetPicture);
}

void SheetImageWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), at.x(), at.y());
}
