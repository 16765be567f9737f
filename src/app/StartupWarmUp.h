#pragma once

#include <thread>

// Start-up work that a second core can do while this thread builds the main window: fontconfig's
// configuration and font lists, which the first text measured would otherwise read here, and the
// session bus, which the notification-area check needs before the main window is made.
class StartupWarmUp {
public:
    // Before the application object: fontconfig needs none.
    StartupWarmUp();
    ~StartupWarmUp();
    StartupWarmUp(const StartupWarmUp&) = delete;
    StartupWarmUp& operator=(const StartupWarmUp&) = delete;

    // Once the application object exists.
    void connectSessionBus();
    // Before the application object goes: the threads use it.
    void finish();

private:
    std::thread m_fonts;
    std::thread m_bus;
};
