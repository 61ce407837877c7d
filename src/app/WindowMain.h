#pragma once

// The program with its window: the application object, the main window, the event loop. Lives in a
// module of its own, which the program loads only when it is started without a headless command, so that
// `vesplot inspect` and `vesplot export` never load the window's libraries.
extern "C" int vesplotWindowMain(int argc, char* argv[]);
