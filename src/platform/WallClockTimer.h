#pragma once

#include <QObject>
#include <QTimer>

class QSocketNotifier;

// One wait that ends at a moment of the wall clock, as a sleeping program waits: no wake-up before
// it, and word at once when the wall clock is set (by hand, by time sync, or on the way back from a
// suspend), since the moment then stands for another real time. A timerfd on CLOCK_REALTIME, absolute
// and cancelled when the clock is set; where there is none, a plain timer, which hears no setting.
class WallClockTimer : public QObject {
    Q_OBJECT
public:
    explicit WallClockTimer(QObject* parent = nullptr);
    ~WallClockTimer() override;

    // Ends this long from now, as the wall clock runs; replaces the wait set before.
    void start(qint64 milliseconds);
    void stop();

signals:
    void timeout();
    void clockSet();

private:
    void readable();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_fallback;
};
