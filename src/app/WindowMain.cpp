#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#include <exception>

#include "app/MainWindow.h"
#include "app/WindowMain.h"
#include "core/Ui.h"

namespace {

void showFatalError(const QString& message) {
    QMessageBox::critical(nullptr, QString::fromUtf8(applicationTitle), message);
}

} // namespace

QTranslator* installQtTranslations(QCoreApplication& app) {
    // The framework's own dialogs (file, message, colour, print) speak Chinese like the program.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

int runWindow(int argc, char* argv[]) {
    QApplication app(argc, argv);
    try {
        // The application title; not a display name, which X11 would append to every caption.
        QApplication::setApplicationName(QString::fromUtf8(applicationTitle));

        installQtTranslations(app);

        // A face with Chinese glyphs first, so that captions never fall back to empty boxes.
        QFont font = QApplication::font();
        font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), font.family()});
        QApplication::setFont(font);

        MainWindow mainWindow;
        mainWindow.show();
        // `vesplot FILE` opens the file once the window is up, as the open command would.
        QTimer::singleShot(0, &mainWindow, [&mainWindow] {
            mainWindow.openFromCommandLine(QApplication::arguments().mid(1));
        });
        return app.exec();
    } catch (const std::exception& error) {
        showFatalError(QString::fromStdString(error.what()));
    } catch (...) {
        showFatalError(QStringLiteral("未知错误"));
    }
    return 1;
}
