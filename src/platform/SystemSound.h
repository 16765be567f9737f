#pragma once

#include <QString>

// The desktop's simple sound service: one asynchronous attempt to play a file, falling back to
// the desktop's default alert. Results are never reported; a ring must not wait on it.
class SystemSound {
public:
    virtual ~SystemSound() = default;
    virtual void play(const QString& path) = 0;

    static SystemSound& instance();
    // Not owned. nullptr goes back to the desktop's service.
    static void setInstance(SystemSound* sound);
};
