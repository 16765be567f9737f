#include "app/NotSetNotice.h"

#include "alarm/AlarmEngine.h"
#include "app/Form1.h"
#include "core/AlarmCrossing.h"
#include "platform/ActivationToken.h"
#include "platform/DesktopNotifier.h"

NotSetNotice::NotSetNotice(Form1& window, DesktopNotifier& notifier)
    : QObject(&window), m_window(window), m_notifier(notifier)
{
    connect(&notifier, &DesktopNotifier::actionInvoked, this, &NotSetNotice::actionInvoked);
    connect(&window.engine(), &AlarmEngine::armedChanged, this, [this](bool armed) {
        if (armed)
            m_notifier.withdraw();
    });
}

void NotSetNotice::show()
{
    const QString alarm = m_window.Text2()->text();
    if (m_window.engine().armed() || !AlarmCrossing::parse(alarm))
        return;
    DesktopNotifier::Content content;
    content.appName = QStringLiteral("Kestrune");
    content.icon = QStringLiteral("kestrune");
    content.summary = QStringLiteral("Kestrune");
    content.body = QStringLiteral("Alarm %1 is not set").arg(alarm);
    content.actions = {QStringLiteral("default"), QStringLiteral("Show"), QStringLiteral("set"), QStringLiteral("Set")};
    content.hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kestrune.Kestrune"));
    m_notifier.show(content);
}

void NotSetNotice::actionInvoked(const QString& key, const QString& activationToken)
{
    if (key == QLatin1String("set")) {
        m_window.Command1()->click();
        // What ON refused is said in a box; the window comes with it, to put things right.
        if (!m_window.engine().armed())
            m_window.showMainWindow();
        return;
    }
    if (key != QLatin1String("default"))
        return;
    const ActivationToken handed(activationToken);
    m_window.showMainWindow();
}
