#pragma once

#include <QObject>
#include <QString>

class QTimer;
class AlarmCommands;
class DesktopNotifier;
class Form;

// The ring told to the desktop as a notification, for a hidden window, a locked screen or a desktop
// without a tray: posted anew at every ring and re-ring, updated in place by Sleep ("Snoozed until
// ..."), withdrawn by OFF, replaced by a word when nobody answered it. Its "Sleep" and "OFF" are the alarm's
// commands, as the window's buttons are, and any click on it brings the window forward. At the ring the window's
// keyboard focus goes to "Sleep"; what Sleep and OFF did is said to a screen reader.
class RingNotification : public QObject {
    Q_OBJECT
public:
    RingNotification(AlarmCommands& commands, Form& window, DesktopNotifier& notifier);

    void ringStarted(const QString& alarmText);
    void ringEnded();
    void ringUnanswered(const QString& alarmText);
    void actionInvoked(const QString& key, const QString& activationToken);
    // Gone whatever the alarm's state: the program ends.
    void withdraw();

    // While the ring has no sound of its own, it is made heard this often.
    static constexpr int SoundAgainMilliseconds = 4000;

private:
    QString ringBody() const;
    void soundAgain();

    AlarmCommands& m_commands;
    Form& m_window;
    DesktopNotifier& m_notifier;
    QString m_alarmText;
    QTimer* m_soundAgain;
};
