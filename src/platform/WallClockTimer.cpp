#include "platform/WallClockTimer.h"

#include "core/LogCategories.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

WallClockTimer::WallClockTimer(QObject* parent) : QObject(parent)
{
    m_fallback.setSingleShot(true);
    m_fallback.setTimerType(Qt::PreciseTimer);
    connect(&m_fallback, &QTimer::timeout, this, &WallClockTimer::timeout);
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
    if (m_fd < 0) {
        qCInfo(lcAlarm, "no wall-clock timer (%s): a clock set while hidden is seen at the next wake-up",
               strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WallClockTimer::readable);
}

WallClockTimer::~WallClockTimer()
{
    if (m_fd >= 0)
        close(m_fd);
}

void WallClockTimer::start(qint64 milliseconds)
{
    const int fallback = int(qBound(qint64(0), milliseconds, qint64(24) * 3600 * 1000));
    if (m_fd < 0) {
        m_fallback.start(fallback);
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const qint64 at = qint64(now.tv_sec) * 1000000000 + now.tv_nsec + qMax(qint64(1), milliseconds) * 1000000;
    itimerspec expiry{};
    expiry.it_value.tv_sec = time_t(at / 1000000000);
    expiry.it_value.tv_nsec = long(at % 1000000000);
    if (timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr) != 0) {
        qCWarning(lcAlarm, "cannot set the wall-clock timer (%s): a plain timer waits instead", strerror(errno));
        m_fallback.start(fallback);
    }
}

void WallClockTimer::stop()
{
    m_fallback.stop();
    if (m_fd < 0)
        return;
    const itimerspec disarmed{};
    timerfd_settime(m_fd, 0, &disarmed, nullptr);
}

void WallClockTimer::readable()
{
    std::uint64_t expirations = 0;
    if (read(m_fd, &expirations, sizeof expirations) >= 0) {
        emit timeout();
        return;
    }
    if (errno == ECANCELED)
        emit clockSet();
}
