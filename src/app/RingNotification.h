#pragma once

#include <QObject>
#include <QString>

class QTimer;
class DesktopNotifier;
class Form1;

// The ring told to the desktop as a notification, for a hidden window, a locked screen or a desktop
// without a tray: posted anew at every ring and re-ring, updated in place by Sleep ("Snoozed until
// ..."), withdrawn by OFF, replaced by a word when nobody answered it. Its "Sleep" and "OFF" press the main window's
// buttons, and any click on it brings the window forward. At the ring the window's keyboard focus goes to "Sleep"; what
// Sleep and OFF did is said to a screen reader.
class RingNotification : public QObject {
    Q_OBJECT
public:
    RingNotification(Form1& window, DesktopNotifier& notifier);

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

    Form1& m_window;
    DesktopNotifier& m_notifier;
    QString m_alarmText;
    QTimer* m_soundAgain;
};
