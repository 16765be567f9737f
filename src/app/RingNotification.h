#pragma once

#include <QObject>

class DesktopNotifier;
class Form1;

// The ring told to the desktop as a notification, for a hidden window, a locked screen or a desktop
// without a tray: shown at every ring and re-ring, replaced rather than stacked, withdrawn when the
// ring ends. Its "Sleep" and "OFF" press the main window's buttons; the notification itself shows
// the window.
class RingNotification : public QObject {
    Q_OBJECT
public:
    RingNotification(Form1& window, DesktopNotifier& notifier);

    void ringStarted(const QString& alarmText);
    void ringEnded();
    void actionInvoked(const QString& key);

private:
    Form1& m_window;
    DesktopNotifier& m_notifier;
};
