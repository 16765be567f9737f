#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

class AlarmEngine;
class ClockZoneWatcher;
class SleepWatcher;
class SuspendInhibitor;
class WakeAlarm;

// What an armed alarm asks of the computer's power: a wake timer a minute before the next ring (the
// alarm second, or the snooze's re-ring), so the machine, the sound server and the display are back
// in time; no suspend of its own accord where it cannot be woken, and where it can, from the wake
// moment until OFF, so the idle timer does not put it back to sleep before the user answers; and a
// word before any sleep.
class WakePolicy : public QObject {
    Q_OBJECT
public:
    WakePolicy(AlarmEngine& engine, WakeAlarm& wake, SuspendInhibitor& inhibitor, SleepWatcher& sleep);

    static constexpr int LeadSeconds = 60;
    // Within the wake program's bound of eight days.
    static constexpr int FarthestWakeDays = 7;
    // The longest the system's sleep waits for the warning to be shown.
    static constexpr int WarningMilliseconds = 2000;

    // Whether the computer is woken for the armed alarm.
    bool wakes() const;
    // Whether the wake timer is really set, for the next ring.
    bool wakeTimerSet() const;
    // The next ring as it stands now: the snooze's re-ring, or the alarm time; invalid when disarmed.
    QDateTime nextRing() const;
    // The moment the wake timer is set to; invalid when none.
    QDateTime wakeAt() const { return m_wakeAt; }
    // The warning is out: the system may sleep.
    void readyToSleep();
    // At exit: the timer, the inhibitor and the delay go.
    void stop();
    // Aims the timer and the inhibitor at the next ring as it stands now: also called when the time
    // zone changed, which moves the ring's real moment.
    void update();
    // A new time zone moves the next ring's real moment, and the wake timer with it.
    void follow(const ClockZoneWatcher& zone);

signals:
    // About to sleep with an armed alarm it cannot be woken for: warn, then call readyToSleep().
    void sleepingUnwoken(const QString& alarmText);
    // Whether and when the computer is woken may have changed.
    void changed();

private:
    void sleeping();
    void resumed();

    AlarmEngine& m_engine;
    WakeAlarm& m_wake;
    SuspendInhibitor& m_inhibitor;
    SleepWatcher& m_sleep;
    QDateTime m_wakeAt;
    bool m_asleep = false;    // between the system's word that it sleeps and its word that it woke
    bool m_answering = false; // rung and not yet answered with OFF: ringing or snoozed
    QTimer m_warningDeadline;
    // The wake moment, when suspend is held off again where the computer can be woken.
    QTimer m_wakeMoment;
};
