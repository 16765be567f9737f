#pragma once

#include <QObject>

class DesktopNotifier;
class Form1;

// A start at login never arms the alarm by itself: with an alarm time restored, a notification says
// it is not set and offers "Set", which presses ON, with ON's checks and messages. Withdrawn once the
// alarm is set by any means.
class NotSetNotice : public QObject {
    Q_OBJECT
public:
    NotSetNotice(Form1& window, DesktopNotifier& notifier);

    void show();

private:
    void actionInvoked(const QString& key, const QString& activationToken);

    Form1& m_window;
    DesktopNotifier& m_notifier;
};
