#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QTimer>

class Timer;
class TickPlanner;
class WallClockTimer;

// One wall-clock-aligned wake-up a second for every aligned one-second Timer. While no clock is
// shown (quiet), it sleeps instead until the next moment its planner names, or until the wall clock
// is set or the time zone changes, and then ticks as a late tick would.
class SecondTicker : public QObject {
    Q_OBJECT
public:
    static SecondTicker& instance();

    void subscribe(Timer* timer);
    void unsubscribe(Timer* timer);
    bool isSubscribed(const Timer* timer) const { return m_timers.contains(timer); }

    // How far past the boundary a tick lands: late enough that the clock reads the new second.
    static constexpr int OffsetMs = 3;

    // What the wake-up timer calls; a test calls it directly, with the clock where it wants it.
    void wake();
    // Milliseconds until the next wake-up as last scheduled, or -1 when none is pending.
    int pendingWakeMs() const { return m_timer.isActive() ? m_timer.interval() : -1; }

    // Not owned; nullptr for none, which makes a quiet wait last as long as it may.
    void setPlanner(TickPlanner* planner);
    void setQuiet(bool quiet);
    bool isQuiet() const { return m_quiet; }
    // The planner's answer may have changed.
    void replan();
    // The wall clock was set or the zone changed: a quiet wait looks at the clock now.
    void clockChanged();
    // When a quiet wait ends, by the clock seam; invalid when not waiting quietly.
    QDateTime quietWakeAt() const { return m_quietAt; }
    // A quiet wait never lasts longer, so whatever it did not foresee is caught up within the
    // alarm's catch-up.
    static constexpr int LongestQuietSeconds = 300;

private:
    SecondTicker();
    void schedule();
    void tickAll();

    QTimer m_timer;
    WallClockTimer* m_wallClock;
    QList<Timer*> m_timers;
    TickPlanner* m_planner = nullptr;
    bool m_quiet = false;
    QDateTime m_quietAt;
};
