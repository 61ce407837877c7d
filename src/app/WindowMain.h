#pragma once

// The program with its window: the application object, the main window, the event loop.
int runWindow(int argc, char* argv[]);
