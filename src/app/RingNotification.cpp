#include "app/RingNotification.h"

#include "alarm/AlarmEngine.h"
#include "app/Form1.h"
#include "platform/DesktopNotifier.h"

#include <QPushButton>

RingNotification::RingNotification(Form1& window, DesktopNotifier& notifier)
    : QObject(&window), m_window(window), m_notifier(notifier)
{
    connect(&window.engine(), &AlarmEngine::ringStarted, this, &RingNotification::ringStarted);
    connect(&window.engine(), &AlarmEngine::ringEnded, this, &RingNotification::ringEnded);
    connect(&notifier, &DesktopNotifier::actionInvoked, this, &RingNotification::actionInvoked);
}

void RingNotification::ringStarted(const QString& alarmText)
{
    DesktopNotifier::Content content;
    content.appName = QStringLiteral("Kestrune");
    content.icon = QStringLiteral("kestrune");
    content.summary = QStringLiteral("Kestrune");
    content.body = QStringLiteral("Alarm ") + alarmText;
    if (const QString notice = m_window.engine().soundNotice(); !notice.isEmpty())
        content.body += QLatin1Char('\n') + notice;
    content.actions = {QStringLiteral("default"), QStringLiteral("Show"), QStringLiteral("sleep"),
                       QStringLiteral("Sleep"),   QStringLiteral("off"),  QStringLiteral("OFF")};
    content.hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));
    content.hints.insert(QStringLiteral("category"), QStringLiteral("x-kestrune.alarm"));
    content.hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kestrune.Kestrune"));
    m_notifier.show(content);
}

void RingNotification::ringEnded()
{
    m_notifier.withdraw();
}

void RingNotification::actionInvoked(const QString& key)
{
    // The same as the buttons, including what a disabled button refuses.
    if (key == QLatin1String("sleep"))
        m_window.Command3()->click();
    else if (key == QLatin1String("off"))
        m_window.Command2()->click();
    else if (key == QLatin1String("default"))
        m_window.showMainWindow();
}
