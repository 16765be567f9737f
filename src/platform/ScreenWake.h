#pragma once

// Wakes the display for a ring, and keeps it awake while called again: on X11 the screen saver is
// reset and the monitor's power forced on; a desktop's screen saver service is told of user activity
// (org.freedesktop.ScreenSaver, where the name has an owner: KDE and several X11 desktops), and KDE's
// power manager asked to wake the screen. GNOME offers no call that lights its locked screen without
// ending the lock (its own interface's SetActive(false) takes the shield away): it lights it for a
// fresh critical notification, which the ring's notification is. Nothing waits for an answer, and
// nothing here lasts beyond the call: the display blanks again by itself once the calls stop.
class ScreenWake {
public:
    virtual ~ScreenWake() = default;
    virtual void wake();
};
