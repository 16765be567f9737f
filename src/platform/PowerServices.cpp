#include "platform/PowerServices.h"

#include "platform/DesktopSuspendInhibitor.h"
#include "platform/LogindSleepWatcher.h"
#include "platform/TimerfdWakeAlarm.h"

namespace {
WakeAlarm* wakeDouble = nullptr;
SuspendInhibitor* inhibitorDouble = nullptr;
SleepWatcher* sleepDouble = nullptr;
} // namespace

WakeAlarm* PowerServices::wakeAlarm(QObject* owner)
{
    return wakeDouble ? wakeDouble : new TimerfdWakeAlarm(owner);
}

SuspendInhibitor* PowerServices::suspendInhibitor(QObject* owner)
{
    return inhibitorDouble ? inhibitorDouble : new DesktopSuspendInhibitor(owner);
}

SleepWatcher* PowerServices::sleepWatcher(QObject* owner)
{
    return sleepDouble ? sleepDouble : new LogindSleepWatcher(owner);
}

void PowerServices::setDoubles(WakeAlarm* wake, SuspendInhibitor* inhibitor, SleepWatcher* sleep)
{
    wakeDouble = wake;
    inhibitorDouble = inhibitor;
    sleepDouble = sleep;
}
