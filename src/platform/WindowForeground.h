#pragma once

#include <functional>

class QWidget;

// Brings a window to the front with the keyboard focus, by `show`, which shows, raises and activates
// it. On X11 Qt asks the window manager with the time of the last event the program saw; mutter
// refuses a request older than the user's last action in another program and only marks the window
// as wanting attention. So there the window's own title is set again first: the X server's notice of
// that change carries its current time, which Qt takes, and `show` runs once it has arrived.
class WindowForeground {
public:
    static void bringForward(QWidget* window, std::function<void()> show);
    // The longest wait for the server's notice before `show` runs regardless.
    static constexpr int NoticeWaitMs = 200;
};
