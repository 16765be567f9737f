#pragma once

#include <QObject>
#include <QTimer>

// A window timer as the alarm engine knows it: Enabled and Interval in milliseconds. An interval of
// 0 never fires (a bare QTimer at 0 would spin). One-second timers can tick on the wall clock's
// second boundary, in a fixed order, so the display never skips a second and several of them share
// one wake-up.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr);
    ~Timer() override;

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int Interval() const { return m_interval; }
    void setInterval(int milliseconds);

    // Ticks just after each second boundary (interval 1000 only), lower phases first.
    void setAlignedToSecond(int phase);
    bool isAligned() const { return m_phase >= 0; }
    int phase() const { return m_phase; }

signals:
    void tick();

private:
    void apply();

    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = 0;
    int m_phase = -1;
};
