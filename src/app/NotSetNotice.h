#pragma once

#include <QObject>

class AlarmCommands;
class DesktopNotifier;

// A start at login never arms the alarm by itself: with an alarm time restored, a notification says
// it is not set and offers "Set", which is ON's command, with ON's checks and messages. Withdrawn once the
// alarm is set by any means.
class NotSetNotice : public QObject {
    Q_OBJECT
public:
    NotSetNotice(AlarmCommands& commands, QObject* parent, DesktopNotifier& notifier);

    void show();
    // The notification's Show or Set, as the desktop reports it.
    void actionInvoked(const QString& key, const QString& activationToken);

private:

    AlarmCommands& m_commands;
    DesktopNotifier& m_notifier;
};
