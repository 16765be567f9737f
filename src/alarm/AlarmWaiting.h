#pragma once

#include "alarm/AlarmControls.h"
#include "controls/TickPlanner.h"

#include <QObject>

class AlarmEngine;
class RingSound;

// While the main window is hidden (or minimised), the clock, the match and the ring check sleep
// until the next moment that matters instead of waking every second: the prepared sound's rest, the
// sound made ready ahead of the ring, the start ahead of the alarm second, the second itself and a
// daylight-saving change before it. A ring, a sound tried out or a ring check about to act keep the
// ticks. Shown again, the clock's text is brought up to date at once.
class AlarmWaiting : public QObject, public TickPlanner {
    Q_OBJECT
public:
    AlarmWaiting(const AlarmEngine& engine, const AlarmControls& controls, const RingSound& sound,
                 QObject* parent = nullptr);
    ~AlarmWaiting() override;

    QDateTime nextTickNeeded(const QDateTime& now) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followWindow();

    const AlarmEngine& m_engine;
    const AlarmControls m_c;
    const RingSound& m_sound;
};
