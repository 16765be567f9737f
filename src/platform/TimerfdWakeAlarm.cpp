#include "platform/TimerfdWakeAlarm.h"

#include "core/LogCategories.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {
int createTimer()
{
    return timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
}
} // namespace

TimerfdWakeAlarm::TimerfdWakeAlarm(QObject* parent) : WakeAlarm(parent)
{
    const int probe = createTimer();
    m_canWake = probe >= 0;
    if (m_canWake)
        close(probe);
    else
        qCInfo(lcPower, "cannot wake this computer: no wake timer (%s)",
               errno == EPERM ? "no CAP_WAKE_ALARM" : strerror(errno));
}

TimerfdWakeAlarm::~TimerfdWakeAlarm()
{
    clear();
}

void TimerfdWakeAlarm::set(const QDateTime& when)
{
    if (!m_canWake)
        return;
    if (m_fd < 0) {
        m_fd = createTimer();
        if (m_fd < 0) {
            qCWarning(lcPower, "cannot create the wake timer: %s", strerror(errno));
            m_canWake = false;
            return;
        }
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &TimerfdWakeAlarm::readable);
    }
    itimerspec expiry{};
    expiry.it_value.tv_sec = when.toSecsSinceEpoch();
    if (timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr) != 0) {
        qCWarning(lcPower, "cannot set the wake timer: %s", strerror(errno));
        clear();
        m_canWake = false;
    }
}

void TimerfdWakeAlarm::clear()
{
    if (m_fd < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    close(m_fd);
    m_fd = -1;
}

void TimerfdWakeAlarm::readable()
{
    std::uint64_t expirations = 0;
    if (read(m_fd, &expirations, sizeof expirations) >= 0) {
        qCDebug(lcPower, "the wake timer fired");
        return;
    }
    if (errno == ECANCELED)
        emit clockChanged();
    else if (errno != EAGAIN)
        qCDebug(lcPower, "reading the wake timer: %s", strerror(errno));
}
