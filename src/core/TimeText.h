#pragma once

#include <QString>
#include <QTime>

// The time of day as the clock box shows it: "HH:MM:SS", 24-hour, leading zeros.
class TimeText {
public:
    static QString of(const QTime& time);
    static QString now();
};
