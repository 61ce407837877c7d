// Renders the program's SVG icon as square PNG files for the desktop's icon theme:
//   vesplot_render_icon ICON.svg OUTPUT-FOLDER SIZE...
// writes OUTPUT-FOLDER/<size>x<size>/apps/vesplot.png for every size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: vesplot_render_icon ICON.svg OUTPUT-FOLDER SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(arguments[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(arguments[1]));
        return 1;
    }
    for (qsizetype k = 3; k < arguments.size(); ++k) {
        bool ok = false;
        const int size = arguments[k].toInt(&ok);
        if (!ok || size <= 0 || size > 4096) {
            std::fprintf(stderr, "not an icon size: %s\n", qPrintable(arguments[k]));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter, QRectF(0, 0, size, size));
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments[2]).arg(size);
        const QString file = folder + QStringLiteral("/vesplot.png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
