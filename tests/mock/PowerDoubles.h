#pragma once

#include "platform/PowerServices.h"
#include "platform/SleepWatcher.h"
#include "platform/SuspendInhibitor.h"
#include "platform/WakeAlarm.h"

// The wake timer, suspend inhibitor and sleep watcher as plain state the test reads and drives.
class FakeWakeAlarm : public WakeAlarm {
public:
    bool canWake() const override { return wakes; }
    void set(const QDateTime& when) override
    {
        at = wakes ? when : QDateTime();
        secs = at.isValid() ? at.toSecsSinceEpoch() : 0;
    }
    void clear() override { at = QDateTime(); }
    void clockWasSet() { emit clockChanged(); }
    // What a wake program says after the fact.
    void answer(bool canWake)
    {
        wakes = canWake;
        emit canWakeChanged();
    }
    bool wakes = true;
    QDateTime at;    // invalid while clear
    qint64 secs = 0; // the real moment, as the timer holds it
};

class FakeSuspendInhibitor : public SuspendInhibitor {
public:
    void hold(const QString&) override { held = true; }
    void release() override { held = false; }
    bool held = false;
};

class FakeSleepWatcher : public SleepWatcher {
public:
    void holdDelay(const QString&) override { held = true; }
    void releaseDelay() override { held = false; }
    void sleep() { emit sleeping(); }
    void wake() { emit resumed(); }
    bool held = false;
};

struct PowerDoubles {
    PowerDoubles() { PowerServices::setDoubles(&wake, &inhibitor, &sleep); }
    ~PowerDoubles() { PowerServices::setDoubles(nullptr, nullptr, nullptr); }
    void reset(bool wakes)
    {
        wake.wakes = wakes;
        wake.at = QDateTime();
        inhibitor.held = false;
        sleep.held = false;
    }
    FakeWakeAlarm wake;
    FakeSuspendInhibitor inhibitor;
    FakeSleepWatcher sleep;
};
