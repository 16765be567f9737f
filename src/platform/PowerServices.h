#pragma once

class QObject;
class SleepWatcher;
class SuspendInhibitor;
class WakeAlarm;

// The system's wake timer, suspend inhibitor and sleep watcher, made for the window that uses them;
// tests put doubles in their place.
class PowerServices {
public:
    static WakeAlarm* wakeAlarm(QObject* owner);
    static SuspendInhibitor* suspendInhibitor(QObject* owner);
    static SleepWatcher* sleepWatcher(QObject* owner);

    // Not owned; nullptrs go back to the system's.
    static void setDoubles(WakeAlarm* wake, SuspendInhibitor* inhibitor, SleepWatcher* sleep);
};
