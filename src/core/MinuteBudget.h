#pragma once

#include <QElapsedTimer>
#include <QList>

// Something done again after a failure, at most a few times in any minute of time that really
// passed: a fault that repeats at once does not spin, and one an hour later finds the budget full.
class MinuteBudget {
public:
    // minuteMs: the length of the "minute"; a test may shorten it.
    explicit MinuteBudget(int perMinute, qint64 minuteMs = 60000) : m_perMinute(perMinute), m_minuteMs(minuteMs)
    {
        m_since.start();
    }

    // True, and counted, when one more fits into the last minute.
    bool take()
    {
        const qint64 now = m_since.elapsed();
        m_taken.removeIf([this, now](qint64 at) { return now - at >= m_minuteMs; });
        if (m_taken.size() >= m_perMinute)
            return false;
        m_taken << now;
        return true;
    }

    // How long until take() will give one more; 0 now.
    qint64 untilFree() const
    {
        const qint64 now = m_since.elapsed();
        qsizetype inMinute = 0;
        for (qint64 at : m_taken)
            inMinute += now - at < m_minuteMs;
        if (inMinute < m_perMinute)
            return 0;
        // Taken in order: one more fits once the one taken perMinute ago leaves the minute.
        return m_minuteMs - (now - m_taken.at(m_taken.size() - m_perMinute));
    }

private:
    int m_perMinute;
    qint64 m_minuteMs;
    QElapsedTimer m_since;
    QList<qint64> m_taken;
};
