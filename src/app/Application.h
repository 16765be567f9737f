#pragma once

// The process: application object, the main window as the start-up window, and the end once the
// main window is unloaded.
class Application {
public:
    static int run(int argc, char* argv[]);
};
