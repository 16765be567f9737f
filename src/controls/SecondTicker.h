#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

class Timer;

// One wall-clock-aligned wake-up a second for every aligned one-second Timer.
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

private:
    SecondTicker();
    void schedule();

    QTimer m_timer;
    QList<Timer*> m_timers;
};
