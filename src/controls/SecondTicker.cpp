#include "controls/SecondTicker.h"

#include "controls/Timer.h"
#include "core/Clock.h"

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

SecondTicker::SecondTicker()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTicker::wake);
}

void SecondTicker::subscribe(Timer* timer)
{
    if (m_timers.contains(timer))
        return;
    const auto at = std::upper_bound(m_timers.begin(), m_timers.end(), timer,
                                     [](const Timer* a, const Timer* b) { return a->phase() < b->phase(); });
    m_timers.insert(at, timer);
    if (!m_timer.isActive())
        schedule();
}

void SecondTicker::unsubscribe(Timer* timer)
{
    m_timers.removeAll(timer);
    if (m_timers.isEmpty())
        m_timer.stop();
}

void SecondTicker::schedule()
{
    const qint64 intoSecond = millisecondsIntoSecond();
    m_timer.start(int(1000 - intoSecond + OffsetMs));
}

void SecondTicker::wake()
{
    // A wake-up that came early belongs to the coming second: wait for it rather than tick twice.
    if (millisecondsIntoSecond() > 500) {
        schedule();
        return;
    }
    QList<QPointer<Timer>> due;
    for (Timer* t : std::as_const(m_timers))
        due.append(t);
    for (const QPointer<Timer>& t : due) {
        // A handler may disable or destroy a later timer; that one then misses this tick.
        if (t && m_timers.contains(t.data()))
            emit t->tick();
    }
    if (!m_timers.isEmpty())
        schedule();
}
