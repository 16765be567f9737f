#pragma once

#include <QtGlobal>

// The snooze's arithmetic: minutes to seconds in 16 bits, clamped so it never overflows.
class SnoozeLength {
public:
    static constexpr int Limit = 546; // 546 * 60 still fits in 16-bit signed seconds
    static qint16 seconds(int minutes) { return qint16(qBound(-Limit, minutes, Limit) * 60); }
};
