#include "platform/DesktopSuspendInhibitor.h"

#include "core/LogCategories.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>

namespace {
const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PmService = QStringLiteral("org.freedesktop.PowerManagement");
const QString PmPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString PmInterface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");
constexpr uint PortalSuspendFlag = 4;
constexpr int CallTimeoutMilliseconds = 10000;

QDBusMessage callFor(int step, const QString& reason)
{
    switch (step) {
    case 0: {
        QDBusMessage call =
            QDBusMessage::createMethodCall(PortalService, QStringLiteral("/org/freedesktop/portal/desktop"),
                                           QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
        call << QString() << PortalSuspendFlag << QVariantMap{{QStringLiteral("reason"), reason}};
        return call;
    }
    case 1: {
        QDBusMessage call = QDBusMessage::createMethodCall(PmService, PmPath, PmInterface, QStringLiteral("Inhibit"));
        call << QStringLiteral("Kestrune") << reason;
        return call;
    }
    default: {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
        call << QStringLiteral("idle") << QStringLiteral("Kestrune") << reason << QStringLiteral("block");
        return call;
    }
    }
}
} // namespace

DesktopSuspendInhibitor::~DesktopSuspendInhibitor()
{
    release();
}

void DesktopSuspendInhibitor::hold(const QString& reason)
{
    if (m_held)
        return;
    m_held = true;
    m_reason = reason;
    m_missing.clear();
    ++m_generation;
    tryStep(Step::Portal);
}

void DesktopSuspendInhibitor::tryStep(Step step)
{
    if (step == Step::None) {
        // Logged once a run: every arming would say the same.
        static bool told = false;
        if (!told)
            qCInfo(lcPower, "nothing keeps this computer from suspending by itself: %s",
                   qPrintable(m_missing.join("; ")));
        told = true;
        return;
    }
    QDBusConnection bus = step == Step::Logind ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        m_missing << (step == Step::Logind ? QStringLiteral("no system bus") : QStringLiteral("no session bus"));
        tryStep(Step(int(step) + 1));
        return;
    }
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(callFor(int(step), m_reason), CallTimeoutMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, step, generation = m_generation] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (generation != m_generation) {
            // Released, or held anew, while this was on its way: give back what it brought.
            if (reply.type() == QDBusMessage::ReplyMessage)
                giveBack(step, reply.arguments().value(0));
            return;
        }
        if (reply.type() != QDBusMessage::ReplyMessage) {
            m_missing << reply.errorMessage();
            tryStep(Step(int(step) + 1));
            return;
        }
        answered(step, reply);
    });
}

void DesktopSuspendInhibitor::answered(Step step, const QDBusMessage& reply)
{
    m_step = step;
    m_token = reply.arguments().value(0);
    qCDebug(lcPower, "keeping this computer awake through %s",
            step == Step::Portal            ? "the desktop portal"
            : step == Step::PowerManagement ? "PowerManagement"
                                            : "logind");
}

void DesktopSuspendInhibitor::release()
{
    if (!m_held)
        return;
    m_held = false;
    ++m_generation;
    giveBack(m_step, m_token);
    m_step = Step::None;
    m_token = QVariant();
}

void DesktopSuspendInhibitor::giveBack(Step step, const QVariant& token)
{
    if (step == Step::Portal) {
        const QString request = token.value<QDBusObjectPath>().path();
        if (!request.isEmpty())
            QDBusConnection::sessionBus().send(QDBusMessage::createMethodCall(
                PortalService, request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close")));
    } else if (step == Step::PowerManagement) {
        QDBusMessage call = QDBusMessage::createMethodCall(PmService, PmPath, PmInterface, QStringLiteral("UnInhibit"));
        call << token.toUInt();
        QDBusConnection::sessionBus().send(call);
    }
    // logind's block ends when the last copy of its descriptor, held in the token, is closed.
}
