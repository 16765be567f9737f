#include "app/RingNotification.h"

#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "platform/DesktopNotifier.h"
#include "platform/ScreenWake.h"
#include "ui/Form.h"

#include <QApplication>
#include <QTimer>

namespace {
DesktopNotifier::Content ringContent(const QString& body, bool offersSleep)
{
    DesktopNotifier::Content content;
    content.appName = QStringLiteral("Kestrune");
    content.icon = QStringLiteral("kestrune");
    content.summary = QStringLiteral("Kestrune");
    content.body = body;
    content.actions = {QStringLiteral("default"), RingNotification::tr("Show")};
    if (offersSleep)
        content.actions << QStringLiteral("sleep") << RingNotification::tr("Sleep");
    content.actions << QStringLiteral("off") << RingNotification::tr("OFF");
    // An alarm is critical: it is not hidden by "do not disturb" and does not time out. Resident: it
    // stays after an action, so that Sleep can turn it into the snooze and OFF is still at hand.
    content.hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));
    content.hints.insert(QStringLiteral("resident"), true);
    content.hints.insert(QStringLiteral("category"), QStringLiteral("x-kestrune.alarm"));
    content.hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kestrune.Kestrune"));
    // The ring makes its own sound, the last resort included: a server's sound would only play over it.
    content.hints.insert(QStringLiteral("suppress-sound"), true);
    return content;
}
} // namespace

RingNotification::RingNotification(AlarmCommands& commands, Form& window, DesktopNotifier& notifier, ScreenWake& screen)
    : QObject(&window), m_commands(commands), m_window(window), m_notifier(notifier), m_screen(screen),
      m_soundAgain(new QTimer(this)), m_keepLit(new QTimer(this))
{
    AlarmEngine& engine = commands.engine();
    m_keepLit->setInterval(KeepLitMilliseconds);
    connect(m_keepLit, &QTimer::timeout, this, &RingNotification::keepLit);
    m_soundAgain->setInterval(SoundAgainMilliseconds);
    connect(m_soundAgain, &QTimer::timeout, this, &RingNotification::soundAgain);
    connect(&engine, &AlarmEngine::ringSilentChanged, this, [this](bool silent) {
        if (!silent) {
            m_soundAgain->stop();
            return;
        }
        soundAgain();
        m_soundAgain->start();
    });
    // Set by keyboard, the bus or a script, the alarm says so to a screen reader as the ring's notices
    // do; OFF's "Not Set" is said when the ring ends.
    connect(&engine, &AlarmEngine::armedChanged, this, [this](bool armed) {
        if (armed)
            m_window.announce(m_commands.status());
    });
    connect(&engine, &AlarmEngine::ringStarted, this, &RingNotification::ringStarted);
    connect(&engine, &AlarmEngine::ringEnded, this, &RingNotification::ringEnded);
    connect(&engine, &AlarmEngine::ringUnanswered, this, &RingNotification::ringUnanswered);
    connect(&notifier, &DesktopNotifier::actionInvoked, this, &RingNotification::actionInvoked);
}

QString RingNotification::ringBody() const
{
    QString body = tr("Alarm %1").arg(m_alarmText);
    if (const QString notice = m_commands.engine().soundNotice(); !notice.isEmpty())
        body += QLatin1Char('\n') + notice;
    return body;
}

void RingNotification::soundAgain()
{
    // A ring without a sound of its own plays the desktop's alarm sound (RingSound does), and is seen
    // and heard here too: the notification posted anew and not resident, so that GNOME Shell shows it
    // as a banner even while Kestrune has the focus, and the display's bell where there is one (a
    // desktop's audible bell, a bare X server).
    DesktopNotifier::Content content = ringContent(ringBody(), true);
    content.hints.remove(QStringLiteral("resident"));
    content.anew = true;
    m_notifier.show(content);
    QApplication::beep();
}

void RingNotification::ringStarted(const QString& alarmText)
{
    m_alarmText = alarmText;
    const QString body = ringBody();
    // A new notification each time, not the snooze's updated: one the user dismissed comes back, and
    // a shell that shows only new ones in a banner does so.
    DesktopNotifier::Content content = ringContent(body, true);
    content.anew = true;
    m_notifier.show(content);
    m_screen.wake();
    m_keepLit->start();
    // The window has just come forward: a blind user hears "Sleep" and the alarm, also at a re-ring
    // that finds the focus where it was, and Space snoozes.
    m_window.alertAt(m_commands.sleepButton(), body);
}

void RingNotification::keepLit()
{
    m_screen.wake();
    // Posted anew, the one on screen withdrawn first: one entry in the notification list however long
    // it rings, and GNOME's locked screen lights again, as it does for a notification that comes, not
    // for one updated in place. While the ring has no sound of its own, this happens every few seconds
    // anyway.
    if (m_soundAgain->isActive())
        return;
    DesktopNotifier::Content content = ringContent(ringBody(), true);
    content.anew = true;
    m_notifier.show(content);
}

void RingNotification::ringEnded()
{
    m_soundAgain->stop();
    m_keepLit->stop();
    const QDateTime until = m_commands.engine().reRingAt();
    if (!m_commands.engine().armed() || !until.isValid()) {
        m_notifier.withdraw();
        m_window.announce(m_commands.status());
        return;
    }
    // The time as the clock shows it, in every language.
    const QString snoozed = tr("Snoozed until %1").arg(until.toString(QStringLiteral("HH:mm:ss")));
    m_notifier.show(ringContent(snoozed, false));
    m_window.announce(snoozed);
}

void RingNotification::ringUnanswered(const QString& alarmText)
{
    // News for whoever comes back, not an alarm: nothing to snooze or switch off.
    const QString body = tr("Alarm %1 rang unanswered").arg(alarmText);
    DesktopNotifier::Content content = ringContent(body, false);
    content.actions = QStringList{QStringLiteral("default"), tr("Show")};
    content.hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
    content.hints.remove(QStringLiteral("resident"));
    content.anew = true;
    m_notifier.show(content);
    m_window.announce(body);
}

void RingNotification::withdraw()
{
    m_keepLit->stop();
    m_notifier.withdraw();
}

void RingNotification::actionInvoked(const QString& key, const QString& activationToken)
{
    const bool sleep = key == QLatin1String("sleep");
    const bool off = key == QLatin1String("off");
    if (!sleep && !off && key != QLatin1String("default"))
        return;
    // The same as the buttons, including what a disabled button refuses: a stale notification's
    // action does nothing, and needs no word.
    if (sleep)
        m_commands.sleep();
    else if (off)
        m_commands.off();
    m_commands.showWindow(activationToken);
}
