#pragma once

#include <QString>

// The ring's last resort, played by the program itself when neither the chosen file nor the built-in
// tone can be heard: the sound theme's alarm, else the given file, one copy at a time and again each
// time it ends, until stop(). It needs no notification banner and no sound process of ours, so it is
// heard at a locked screen, on any notification server, and when the sound program cannot run.
// Neither call waits: a ring must not wait on it.
class DesktopAlarmSound {
public:
    virtual ~DesktopAlarmSound() = default;
    // Harmless while it plays already: still one copy.
    virtual void start(const QString& fallback) = 0;
    // Silent at once; harmless when nothing plays.
    virtual void stop() = 0;

    // The one installed by the program, or one that makes no sound.
    static DesktopAlarmSound& instance();
    // Not owned. nullptr goes back to making no sound.
    static void setInstance(DesktopAlarmSound* sound);
};
