#pragma once

#include "alarm/AlarmControls.h"

#include <QObject>
#include <QString>

class AlarmEngine;

// The alarm's commands, one set for every way in: the window's buttons, the tray icon, the ring's
// and the not-set notifications, the command line and the session bus. Each does what its button does and refuses what
// the button would refuse, and says what it refused in the words of the window's box; empty when it was done. None of
// the callers reaches into the main window.
class AlarmCommands : public QObject {
    Q_OBJECT
public:
    AlarmCommands(AlarmEngine& engine, AlarmControls controls, QObject* parent);

    // "ON", with the alarm box's time, or first with the one given; refused, the box keeps what it
    // held.
    QString arm(const QString& time = QString());
    // "OFF": silenced and disarmed; at a ring of a repeating alarm, silenced and kept set for the
    // next chosen day.
    QString off();
    // "Sleep": silenced, to ring again after the snooze minutes.
    QString sleep();
    // The main window shown, in front; with the token a desktop gave with a click, where its
    // Wayland session asks for one.
    // "Skip Next Ring" and taking it back: the next ring of a set repeating alarm left silent.
    QString skip();
    QString unskip();
    // The "Repeat" menu: once, daily, weekdays, weekends, or days as mon,tue,...
    QString setRepeat(const QString& words);
    void showWindow(const QString& activationToken = QString());
    // A refusal said in a box in front of the window, as the buttons say it. Whether one was said.
    bool tell(const QString& refusal);

    AlarmEngine& engine() const { return m_engine; }
    // The status box's text: "Alarm Set", "Not Set", "Missed".
    QString status() const;
    // The control a screen reader is sent to at a ring.
    QWidget* sleepButton() const;

signals:
    void armedChanged(bool armed);
    // The alarm time, the armed state, a ring or a snooze changed.
    void stateChanged();

private:
    AlarmEngine& m_engine;
    const AlarmControls m_c;
    bool m_trying = false; // arm() tries a time in the box
};
