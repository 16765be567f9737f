#include "app/RingMediaControls.h"

#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "platform/MprisPlayer.h"

RingMediaControls::RingMediaControls(AlarmCommands& commands, MprisPlayer& player, QObject* parent)
    : QObject(parent), m_commands(commands), m_player(player)
{
    m_player.onPause = [this] { return m_commands.sleep(); };
    m_player.onStop = [this] { return m_commands.off(); };
    m_player.onRaise = [this] { m_commands.showWindow(); };
    AlarmEngine& engine = commands.engine();
    connect(&engine, &AlarmEngine::ringStarted, this, &RingMediaControls::ringStarted);
    connect(&engine, &AlarmEngine::ringEnded, this, &RingMediaControls::ringEnded);
    connect(&engine, &AlarmEngine::armedChanged, this, [this](bool armed) {
        if (!armed)
            m_player.withdraw();
    });
}

void RingMediaControls::ringStarted(const QString& alarmText)
{
    m_title = tr("Alarm %1").arg(alarmText);
    m_player.show(true, m_title);
}

void RingMediaControls::ringEnded()
{
    // Paused while a snooze counts down to the next ring; gone once nothing will ring again before
    // the next day (OFF, or a ring nobody answered falling silent).
    const AlarmEngine& engine = m_commands.engine();
    if (m_player.isShown() && engine.armed() && engine.reRingAt().isValid())
        m_player.show(false, m_title);
    else
        m_player.withdraw();
}
