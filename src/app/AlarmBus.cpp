#include "app/AlarmBus.h"

#include "alarm/AlarmCommands.h"
#include "alarm/WakePolicy.h"
#include "core/LogCategories.h"
#include "core/TimeText.h"

#include <QDBusConnection>
#include <QDBusMessage>

AlarmBus::AlarmBus(AlarmCommands& commands, WakePolicy& wake, QObject* parent)
    : QObject(parent), m_commands(commands), m_wake(wake), m_state(AlarmState::of(commands.engine(), wake))
{
    connect(&commands, &AlarmCommands::stateChanged, this, &AlarmBus::update);
    connect(&wake, &WakePolicy::changed, this, &AlarmBus::update);
}

void AlarmBus::publish(AlarmCommands& commands, WakePolicy& wake, QObject* owner)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcInstance, "no session bus: the alarm is not offered there");
        return;
    }
    auto* exported = new AlarmBus(commands, wake, owner);
    if (!bus.registerObject(QLatin1String(Path), exported,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QLatin1String(Service))) {
        qCWarning(lcInstance, "the name %s is taken on the session bus: the alarm is not offered there", Service);
        bus.unregisterObject(QLatin1String(Path));
        delete exported;
    }
}

QString AlarmBus::snoozedUntil() const
{
    return m_state.snoozedUntil.isValid() ? TimeText::of(m_state.snoozedUntil.time()) : QString();
}

qlonglong AlarmBus::nextRing() const
{
    return m_state.nextRing.isValid() ? m_state.nextRing.toSecsSinceEpoch() : 0;
}

void AlarmBus::Set(const QString& time)
{
    refuseIf(m_commands.arm(time));
}

void AlarmBus::Off()
{
    refuseIf(m_commands.off());
}

void AlarmBus::Sleep()
{
    refuseIf(m_commands.sleep());
}

void AlarmBus::SetRepeat(const QString& days)
{
    refuseIf(m_commands.setRepeat(days));
}

void AlarmBus::Skip()
{
    refuseIf(m_commands.skip());
}

void AlarmBus::Unskip()
{
    refuseIf(m_commands.unskip());
}

void AlarmBus::refuseIf(const QString& refusal)
{
    if (!refusal.isEmpty() && calledFromDBus())
        sendErrorReply(QLatin1String(RefusedError), refusal);
}

void AlarmBus::update()
{
    const AlarmState before = m_state;
    const QString snoozedBefore = snoozedUntil();
    const qlonglong nextBefore = nextRing();
    m_state = AlarmState::of(m_commands.engine(), m_wake);
    QVariantMap changed;
    if (m_state.alarmTime != before.alarmTime)
        changed.insert(QStringLiteral("AlarmTime"), m_state.alarmTime);
    if (m_state.armed != before.armed)
        changed.insert(QStringLiteral("Armed"), m_state.armed);
    if (m_state.ringing != before.ringing)
        changed.insert(QStringLiteral("Ringing"), m_state.ringing);
    if (snoozedUntil() != snoozedBefore)
        changed.insert(QStringLiteral("SnoozedUntil"), snoozedUntil());
    if (nextRing() != nextBefore)
        changed.insert(QStringLiteral("NextRing"), nextRing());
    if (m_state.wakes != before.wakes)
        changed.insert(QStringLiteral("Wakes"), m_state.wakes);
    if (m_state.repeat != before.repeat)
        changed.insert(QStringLiteral("Repeat"), m_state.repeat);
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(Path), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(Interface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}
