#pragma once

#include <QObject>
#include <QString>

class AlarmCommands;
class MprisPlayer;

// The ring as a media player from the ring until OFF, for a locked screen's media controls, the
// media keys and a headset's buttons: playing while it rings, paused while it snoozes; Pause (and
// PlayPause while it rings) is "Sleep", Stop is "OFF" in either state, with the buttons' refusals,
// Play changes nothing, and Raise shows the window.
// Never on the bus before the first ring nor after OFF, so the user's music player keeps the keys.
class RingMediaControls : public QObject {
    Q_OBJECT
public:
    RingMediaControls(AlarmCommands& commands, MprisPlayer& player, QObject* parent);

private:
    void ringStarted(const QString& alarmText);
    void ringEnded();

    AlarmCommands& m_commands;
    MprisPlayer& m_player;
    QString m_title;
};
