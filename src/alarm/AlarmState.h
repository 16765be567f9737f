#pragma once

#include <QDateTime>
#include <QString>

class AlarmEngine;
class WakePolicy;

// The alarm as another program sees it: what --status prints and the bus's properties carry, read
// from the engine and the wake policy in one place.
struct AlarmState {
    QString alarmTime; // the alarm box's text
    bool armed = false;
    bool ringing = false;
    QDateTime snoozedUntil; // invalid unless a snooze counts down
    QDateTime nextRing;     // invalid when none is coming
    QString sound;
    bool wakes = false; // the wake timer is set for the next ring
    QString repeat;     // the days, in the command line's words
    QDateTime skipped;  // the skipped ring while it is ahead; invalid otherwise

    static AlarmState of(const AlarmEngine& engine, const WakePolicy& wake);
    // A line a value, "Name: value", in a fixed order, for a script to read.
    QString statusLines() const;

    bool operator==(const AlarmState&) const = default;
};
