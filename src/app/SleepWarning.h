#pragma once

#include <QObject>

class DesktopNotifier;
class WakePolicy;

// Before a sleep the computer cannot be woken from for the armed alarm, tells the user so as a
// desktop notification, and lets the sleep go on once the notification server has taken it.
class SleepWarning : public QObject {
    Q_OBJECT
public:
    SleepWarning(WakePolicy& policy, DesktopNotifier& notifier);

private:
    void warn(const QString& alarmText);

    WakePolicy& m_policy;
    DesktopNotifier& m_notifier;
    bool m_waiting = false;
};
