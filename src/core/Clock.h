#pragma once

#include <QDateTime>

// The local time of day, behind a seam so tests can set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    static Clock& instance();
    // Not owned. nullptr goes back to the system clock.
    static void setInstance(Clock* clock);
};
