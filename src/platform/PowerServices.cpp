#include "platform/PowerServices.h"

#include "core/LogCategories.h"
#include "core/ProgramFile.h"
#include "platform/DesktopSuspendInhibitor.h"
#include "platform/LogindSleepWatcher.h"
#include "platform/TimerfdWakeAlarm.h"
#include "platform/WakeProgramAlarm.h"

namespace {
WakeAlarm* wakeDouble = nullptr;
SuspendInhibitor* inhibitorDouble = nullptr;
SleepWatcher* sleepDouble = nullptr;
} // namespace

WakeAlarm* PowerServices::wakeAlarm(QObject* owner)
{
    if (wakeDouble)
        return wakeDouble;
    // The program's own timer where it holds the capability (a systemd 254 session, root); else the
    // wake program's, which the package gives it; else none, and the computer is kept awake.
    auto* own = new TimerfdWakeAlarm(owner);
    if (own->canWake())
        return own;
    QString why;
    const QString program = ProgramFile::find(QStringLiteral("kestrune-wake"), &why);
    if (program.isEmpty()) {
        qCInfo(lcPower, "no wake program: %s", qPrintable(why));
        return own;
    }
    delete own;
    return new WakeProgramAlarm(program, owner);
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
