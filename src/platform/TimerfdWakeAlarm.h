#pragma once

#include "platform/WakeAlarm.h"

class QSocketNotifier;

// A timerfd on CLOCK_REALTIME_ALARM, absolute and cancelled when the clock is set. Creating and
// setting it need CAP_WAKE_ALARM; without it, or on a kernel without the clock, it cannot wake.
// The descriptor exists only while a moment is set.
class TimerfdWakeAlarm : public WakeAlarm {
    Q_OBJECT
public:
    explicit TimerfdWakeAlarm(QObject* parent = nullptr);
    ~TimerfdWakeAlarm() override;

    bool canWake() const override { return m_canWake; }
    void set(const QDateTime& when) override;
    void clear() override;

private:
    void readable();

    bool m_canWake = false;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
