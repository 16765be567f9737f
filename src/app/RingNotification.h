#pragma once

#include <QObject>
#include <QString>

class QTimer;
class AlarmCommands;
class DesktopNotifier;
class Form;
class ScreenWake;

// The ring told to the desktop as a notification, for a hidden window, a locked screen or a desktop
// without a tray: posted anew at every ring and re-ring, updated in place by Sleep ("Snoozed until
// ..."), withdrawn by OFF, replaced by a word when nobody answered it. Its "Sleep" and "OFF" are the alarm's
// commands, as the window's buttons are, and any click on it brings the window forward. At the ring the window's
// keyboard focus goes to "Sleep"; what ON, Sleep and OFF did is said to a screen reader. At the ring, and
// again while it rings, the display is woken, and the notification posted anew (GNOME lights its locked
// screen for a fresh one and blanks it again after about 30 s), so the ring is seen; a snooze lets the
// screen go dark. A ring with no sound of its own plays the desktop's alarm sound (RingSound); here it is
// posted anew every few seconds with the display's bell.
class RingNotification : public QObject {
    Q_OBJECT
public:
    RingNotification(AlarmCommands& commands, Form& window, DesktopNotifier& notifier, ScreenWake& screen);

    void ringStarted(const QString& alarmText);
    void ringEnded();
    void ringUnanswered(const QString& alarmText);
    void actionInvoked(const QString& key, const QString& activationToken);
    // Gone whatever the alarm's state: the program ends.
    void withdraw();

    // While the ring has no sound of its own, it is made heard this often.
    static constexpr int SoundAgainMilliseconds = 4000;
    // While it rings, the display is woken again this often: within the shortest blanking desktops use.
    static constexpr int KeepLitMilliseconds = 20000;

private:
    QString ringBody() const;
    void soundAgain();
    void keepLit();

    AlarmCommands& m_commands;
    Form& m_window;
    DesktopNotifier& m_notifier;
    ScreenWake& m_screen;
    QString m_alarmText;
    QTimer* m_soundAgain;
    QTimer* m_keepLit;
};
