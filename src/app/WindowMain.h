#pragma once

class QCoreApplication;
class QTranslator;

// Installs Qt's own Chinese translations (file, message, colour and print dialogs) into `app`,
// which owns the translator. Returns it, or nullptr when the translation file is not found.
QTranslator* installQtTranslations(QCoreApplication& app);

// The program with its window: the application object, the main window, the event loop.
int runWindow(int argc, char* argv[]);
