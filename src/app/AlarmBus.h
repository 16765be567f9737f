#pragma once

#include "alarm/AlarmState.h"

#include <QDBusContext>
#include <QObject>

class AlarmCommands;
class WakePolicy;

// The alarm on the user's session bus, for scripts and other programs: org.kestrune.Kestrune at
// /org/kestrune/Kestrune, interface org.kestrune.Kestrune.Alarm (its introspection is installed as
// share/dbus-1/interfaces/org.kestrune.Kestrune.Alarm.xml). The methods are the window's buttons,
// through the same commands; a refusal is the error Refused with the words the window would show.
// Each change of a property is announced with PropertiesChanged. Exported as it is rather than through
// an adaptor, so that a method can answer with an error.
class AlarmBus : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kestrune.Kestrune.Alarm")
    Q_PROPERTY(QString AlarmTime READ alarmTime)
    Q_PROPERTY(bool Armed READ armed)
    Q_PROPERTY(bool Ringing READ ringing)
    Q_PROPERTY(QString SnoozedUntil READ snoozedUntil)
    Q_PROPERTY(qlonglong NextRing READ nextRing)
    Q_PROPERTY(bool Wakes READ wakes)
    Q_PROPERTY(QString Repeat READ repeat)
public:
    static constexpr const char* Service = "org.kestrune.Kestrune";
    static constexpr const char* Path = "/org/kestrune/Kestrune";
    static constexpr const char* Interface = "org.kestrune.Kestrune.Alarm";
    static constexpr const char* RefusedError = "org.kestrune.Kestrune.Error.Refused";

    AlarmBus(AlarmCommands& commands, WakePolicy& wake, QObject* parent);
    // Puts the alarm on the session bus. Without one, or with the name taken, the program runs on
    // without it, and says so in its log.
    static void publish(AlarmCommands& commands, WakePolicy& wake, QObject* owner);

    QString alarmTime() const { return m_state.alarmTime; }
    bool armed() const { return m_state.armed; }
    bool ringing() const { return m_state.ringing; }
    QString snoozedUntil() const;
    qlonglong nextRing() const;
    bool wakes() const { return m_state.wakes; }
    QString repeat() const { return m_state.repeat; }

public slots:
    void Set(const QString& time);
    void Off();
    void Sleep();
    void SetRepeat(const QString& days);
    void Skip();
    void Unskip();

private:
    void refuseIf(const QString& refusal);
    void update();

    AlarmCommands& m_commands;
    WakePolicy& m_wake;
    AlarmState m_state;
};
