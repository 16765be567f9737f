#include "app/NotSetNotice.h"

#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "core/AlarmCrossing.h"
#include "platform/DesktopNotifier.h"

NotSetNotice::NotSetNotice(AlarmCommands& commands, QObject* parent, DesktopNotifier& notifier)
    : QObject(parent), m_commands(commands), m_notifier(notifier)
{
    connect(&notifier, &DesktopNotifier::actionInvoked, this, &NotSetNotice::actionInvoked);
    connect(&commands, &AlarmCommands::armedChanged, this, [this](bool armed) {
        if (armed)
            m_notifier.withdraw();
    });
}

void NotSetNotice::show()
{
    const QString alarm = m_commands.engine().alarmText();
    if (m_commands.engine().armed() || !AlarmCrossing::parse(alarm))
        return;
    DesktopNotifier::Content content;
    content.appName = QStringLiteral("Kestrune");
    content.icon = QStringLiteral("kestrune");
    content.summary = QStringLiteral("Kestrune");
    content.body = tr("Alarm %1 is not set").arg(alarm);
    content.actions = {QStringLiteral("default"), tr("Show"), QStringLiteral("set"), tr("Set")};
    content.hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kestrune.Kestrune"));
    m_notifier.show(content);
}

void NotSetNotice::actionInvoked(const QString& key, const QString& activationToken)
{
    if (key == QLatin1String("set")) {
        // What ON refused is said in a box; the window comes with it, to put things right. Already
        // set by other means, there is nothing to say.
        const QString refused = m_commands.arm();
        if (!m_commands.engine().armed()) {
            m_commands.tell(refused);
            m_commands.showWindow(activationToken);
        }
        return;
    }
    if (key != QLatin1String("default"))
        return;
    m_commands.showWindow(activationToken);
}
