#include "app/SleepWarning.h"

#include "alarm/WakePolicy.h"
#include "platform/DesktopNotifier.h"

SleepWarning::SleepWarning(WakePolicy& policy, DesktopNotifier& notifier)
    : QObject(&policy), m_policy(policy), m_notifier(notifier)
{
    connect(&policy, &WakePolicy::sleepingUnwoken, this, &SleepWarning::warn);
    connect(&notifier, &DesktopNotifier::answered, this, [this] {
        if (m_waiting)
            m_policy.readyToSleep();
        m_waiting = false;
    });
}

void SleepWarning::warn(const QString& alarmText)
{
    DesktopNotifier::Content content;
    content.appName = QStringLiteral("Kestrune");
    content.icon = QStringLiteral("kestrune");
    content.summary = QStringLiteral("Kestrune");
    content.body = tr("Kestrune cannot wake this computer; the alarm at %1 rings only if it is awake").arg(alarmText);
    content.hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));
    content.hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kestrune.Kestrune"));
    m_waiting = true;
    m_notifier.show(content);
}
