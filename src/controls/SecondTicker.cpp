#include "controls/SecondTicker.h"

#include "controls/TickPlanner.h"
#include "controls/Timer.h"
#include "core/Clock.h"
#include "platform/WallClockTimer.h"

#include <QPointer>
#include <algorithm>

namespace {
// The clock seam's reading, so the ticker and the handlers it wakes agree on the time.
qint64 millisecondsIntoSecond()
{
    return Clock::instance().now().toMSecsSinceEpoch() % 1000;
}
} // namespace

SecondTicker& SecondTicker::instance()
{
    static SecondTicker ticker;
    return ticker;
}

SecondTicker::SecondTicker() : m_wallClock(new WallClockTimer(this))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTicker::wake);
    connect(m_wallClock, &WallClockTimer::timeout, this, &SecondTicker::wake);
    connect(m_wallClock, &WallClockTimer::clockSet, this, &SecondTicker::clockChanged);
}

void SecondTicker::subscribe(Timer* timer)
{
    if (m_timers.contains(timer))
        return;
    const auto at = std::upper_bound(m_timers.begin(), m_timers.end(), timer,
                                     [](const Timer* a, const Timer* b) { return a->phase() < b->phase(); });
    m_timers.insert(at, timer);
    if (m_quiet || !m_timer.isActive())
        schedule();
}

void SecondTicker::unsubscribe(Timer* timer)
{
    m_timers.removeAll(timer);
    if (m_timers.isEmpty()) {
        m_timer.stop();
        m_wallClock->stop();
        m_quietAt = QDateTime();
    } else if (m_quiet) {
        schedule();
    }
}

void SecondTicker::setPlanner(TickPlanner* planner)
{
    m_planner = planner;
    replan();
}

void SecondTicker::setQuiet(bool quiet)
{
    if (quiet == m_quiet)
        return;
    m_quiet = quiet;
    if (!m_timers.isEmpty())
        schedule();
}

void SecondTicker::replan()
{
    if (m_quiet && !m_timers.isEmpty())
        schedule();
}

void SecondTicker::clockChanged()
{
    // Ticking each second, the next tick sees the change anyway.
    if (!m_quiet || m_timers.isEmpty())
        return;
    tickAll();
    if (!m_timers.isEmpty())
        schedule();
}

void SecondTicker::schedule()
{
    const QDateTime now = Clock::instance().now();
    const qint64 toNextSecond = 1000 - now.toMSecsSinceEpoch() % 1000 + OffsetMs;
    if (!m_quiet) {
        m_wallClock->stop();
        m_quietAt = QDateTime();
        m_timer.start(int(toNextSecond));
        return;
    }
    m_timer.stop();
    QDateTime at = now.addMSecs(toNextSecond);
    const QDateTime longest = now.addSecs(LongestQuietSeconds);
    QDateTime needed = m_planner ? m_planner->nextTickNeeded(now) : QDateTime();
    if (!needed.isValid() || needed > longest)
        needed = longest;
    // At the start of the second it is needed in, as every tick lands.
    needed = needed.addMSecs(-needed.time().msec() + OffsetMs);
    if (needed > at)
        at = needed;
    m_quietAt = at;
    m_wallClock->start(now.msecsTo(at));
}

void SecondTicker::wake()
{
    // A wake-up that came early belongs to the coming second: wait for it rather than tick twice.
    if (millisecondsIntoSecond() > 500) {
        schedule();
        return;
    }
    tickAll();
    if (!m_timers.isEmpty())
        schedule();
}

void SecondTicker::tickAll()
{
    QList<QPointer<Timer>> due;
    for (Timer* t : std::as_const(m_timers))
        due.append(t);
    for (const QPointer<Timer>& t : due) {
        // A handler may disable or destroy a later timer; that one then misses this tick.
        if (t && m_timers.contains(t.data()))
            emit t->tick();
    }
}
