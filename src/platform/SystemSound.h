#pragma once

#include <QString>

// The desktop's simple sound service: one asynchronous alert per ring. Results are never
// reported and no call waits: a ring must not wait on it.
class SystemSound {
public:
    virtual ~SystemSound() = default;
    // Get the service ready ahead of a ring (reach the sound server); harmless to repeat.
    virtual void prepare() {}
    // The desktop's own alert for an alarm. The path is the alarm's sound file, which the
    // desktop service never opens: the media player plays it.
    virtual void play(const QString& path) = 0;

    static SystemSound& instance();
    // Not owned. nullptr goes back to the desktop's service.
    static void setInstance(SystemSound* sound);
    // The desktop's service, once the sound stack is loaded; not owned.
    static void setDesktop(SystemSound* sound);
};
