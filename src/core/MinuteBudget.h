#pragma once

#include <QElapsedTimer>
#include <QList>

// Something done again after a failure, at most a few times in any minute of time that really
// passed: a fault that repeats at once does not spin, and one an hour later finds the budget full.
class MinuteBudget {
public:
    explicit MinuteBudget(int perMinute) : m_perMinute(perMinute) { m_since.start(); }

    // True, and counted, when one more fits into the last minute.
    bool take()
    {
        const qint64 now = m_since.elapsed();
        m_taken.removeIf([now](qint64 at) { return now - at >= 60000; });
        if (m_taken.size() >= m_perMinute)
            return false;
        m_taken << now;
        return true;
    }

private:
    int m_perMinute;
    QElapsedTimer m_since;
    QList<qint64> m_taken;
};
