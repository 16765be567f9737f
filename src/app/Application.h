#pragma once

#include <QStringList>

// The process: application object, the main window as the start-up window, and the end once the
// main window is unloaded.
class Application {
public:
    static int run(int argc, char* argv[]);
    // The main window at start: in the notification area for a start at login where there is one,
    // else on screen.
    static void showAtStart(const QStringList& arguments);
};
