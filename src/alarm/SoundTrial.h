#pragma once

#include "alarm/AlarmControls.h"

#include <QObject>
#include <QString>

class RingSound;

// "Try Alarm Sound": the chosen sound played as the ring plays it, rising from the fade's bottom,
// for up to thirty seconds, neither raising the output nor arming anything. The menu's item is
// ticked while it plays; choosing it again, ON, OFF or the ring stop it.
class SoundTrial : public QObject {
    Q_OBJECT
public:
    SoundTrial(AlarmControls controls, RingSound& sound, QObject* parent);

    bool running() const;
    // The menu's item chosen: the trial of `path` starts, or one that plays stops. `alarmBusy`: the
    // alarm rings or snoozes, whose sound and silence are its own.
    void toggle(const QString& path, bool alarmBusy);
    // A clock tick: the thirty seconds are counted in ticks, whatever the clock says meanwhile.
    void tick();
    void stop();

private:
    const AlarmControls m_c;
    RingSound& m_sound;
    int m_ticks = 0; // clock ticks the sound tried out has played
};
