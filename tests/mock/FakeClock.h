#pragma once

#include "core/Clock.h"

// A clock the test sets and moves by hand.
class FakeClock : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(7, 0, 0))) : m_now(std::move(start)) {}
    QDateTime now() const override { return m_now; }
    void set(const QTime& time) { m_now.setTime(time); }
    void set(const QDateTime& when) { m_now = when; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};
