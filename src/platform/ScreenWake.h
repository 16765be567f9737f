#pragma once

// Wakes the display for a ring, and keeps it awake while called again: on X11 the screen saver is
// reset and the monitor's power forced on; a desktop's screen saver service is told of user activity
// (org.freedesktop.ScreenSaver, where one answers: KDE and several X11 desktops), and KDE's power
// manager asked to wake the screen. Nothing waits for an answer, and nothing here lasts beyond the
// call: the display blanks again by itself once the calls stop.
class ScreenWake {
public:
    virtual ~ScreenWake() = default;
    virtual void wake();
};
