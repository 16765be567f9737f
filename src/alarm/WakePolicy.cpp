#include "alarm/WakePolicy.h"

#include "alarm/AlarmEngine.h"
#include "alarm/AlarmRepeat.h"
#include "core/AlarmCrossing.h"
#include "core/Clock.h"
#include "core/ClockZoneWatcher.h"
#include "platform/SleepWatcher.h"
#include "platform/SuspendInhibitor.h"
#include "platform/WakeAlarm.h"

WakePolicy::WakePolicy(AlarmEngine& engine, WakeAlarm& wake, SuspendInhibitor& inhibitor, SleepWatcher& sleep)
    : QObject(&engine), m_engine(engine), m_wake(wake), m_inhibitor(inhibitor), m_sleep(sleep)
{
    connect(&engine, &AlarmEngine::armedChanged, this, &WakePolicy::update);
    connect(&engine, &AlarmEngine::alarmTimeChanged, this, &WakePolicy::update);
    connect(&engine.repeat(), &AlarmRepeat::changed, this, &WakePolicy::update);
    connect(&engine, &AlarmEngine::ringStarted, this, [this] {
        m_answering = true;
        update();
    });
    // Sleep answers the ring with a snooze, OFF with nothing more to come; a repeating alarm answered
    // or gone unanswered waits for its next day as one that never rang.
    connect(&engine, &AlarmEngine::ringEnded, this, [this] {
        if (m_engine.repeat().repeating() && !m_engine.ringing() && !m_engine.reRingAt().isValid())
            m_answering = false;
        update();
    });
    connect(&wake, &WakeAlarm::clockChanged, this, &WakePolicy::update);
    connect(&wake, &WakeAlarm::canWakeChanged, this, &WakePolicy::update);
    connect(&sleep, &SleepWatcher::sleeping, this, &WakePolicy::sleeping);
    connect(&sleep, &SleepWatcher::resumed, this, &WakePolicy::resumed);
    m_warningDeadline.setSingleShot(true);
    m_warningDeadline.setInterval(WarningMilliseconds);
    connect(&m_warningDeadline, &QTimer::timeout, this, &WakePolicy::readyToSleep);
    m_wakeMoment.setSingleShot(true);
    connect(&m_wakeMoment, &QTimer::timeout, this, &WakePolicy::update);
}

void WakePolicy::follow(const ClockZoneWatcher& zone)
{
    connect(&zone, &ClockZoneWatcher::zoneChanged, this, &WakePolicy::update);
}

bool WakePolicy::wakes() const
{
    return m_wake.canWake();
}

bool WakePolicy::wakeTimerSet() const
{
    return m_wakeAt.isValid() && m_wake.canWake();
}

QDateTime WakePolicy::nextRing() const
{
    if (!m_engine.armed())
        return QDateTime();
    const QDateTime reRing = m_engine.reRingAt();
    if (reRing.isValid())
        return reRing;
    const std::optional<QTime> alarm = AlarmCrossing::parse(m_engine.alarmText());
    if (!alarm)
        return QDateTime();
    return m_engine.repeat().next(*alarm, Clock::instance().now());
}

void WakePolicy::update()
{
    if (!m_engine.armed())
        m_answering = false;
    const QDateTime ring = nextRing();
    if (!ring.isValid()) {
        m_wakeMoment.stop();
        m_wakeAt = QDateTime();
        m_wake.clear();
        m_inhibitor.release();
        m_sleep.releaseDelay();
        emit changed();
        return;
    }
    // A minute early, so the machine, the sound server and the display are back for the second;
    // armed within that minute, at the second itself.
    const QDateTime now = Clock::instance().now();
    const QDateTime wakeMoment = ring.addSecs(-LeadSeconds);
    m_wakeAt = wakeMoment > now ? wakeMoment : ring;
    // The wake program takes nothing more than eight days ahead; a ring further off is aimed at again
    // after that wake.
    m_wakeAt = qMin(m_wakeAt, now.addDays(FarthestWakeDays));
    m_wake.set(m_wakeAt);
    // Woken for the ring, the computer may sleep until the wake moment; from then until OFF the user
    // is to answer, and the desktop's idle suspend would put it back to sleep first.
    if (m_wake.canWake() && !m_answering && wakeMoment > now) {
        m_inhibitor.release();
        m_wakeMoment.start(int(qMin(now.msecsTo(wakeMoment), qint64(24) * 3600 * 1000)));
    } else {
        m_wakeMoment.stop();
        m_inhibitor.hold(tr("An alarm is set"));
    }
    if (!m_asleep)
        m_sleep.holdDelay(tr("An alarm is set"));
    emit changed();
}

void WakePolicy::sleeping()
{
    m_asleep = true;
    if (m_engine.armed() && !m_wake.canWake()) {
        m_warningDeadline.start();
        emit sleepingUnwoken(m_engine.alarmText());
        return;
    }
    m_sleep.releaseDelay();
}

void WakePolicy::readyToSleep()
{
    m_warningDeadline.stop();
    if (m_asleep)
        m_sleep.releaseDelay();
}

void WakePolicy::resumed()
{
    m_asleep = false;
    m_warningDeadline.stop();
    // The ten-minute catch-up decides between a ring now and a miss.
    m_engine.judgeNow();
    update();
}

void WakePolicy::stop()
{
    m_wakeMoment.stop();
    m_wakeAt = QDateTime();
    m_wake.clear();
    m_inhibitor.release();
    m_sleep.releaseDelay();
}
