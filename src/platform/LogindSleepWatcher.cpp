#include "platform/LogindSleepWatcher.h"

#include "core/LogCategories.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace {
const QString Service = QStringLiteral("org.freedesktop.login1");
const QString Path = QStringLiteral("/org/freedesktop/login1");
const QString Interface = QStringLiteral("org.freedesktop.login1.Manager");
} // namespace

LogindSleepWatcher::LogindSleepWatcher(QObject* parent) : SleepWatcher(parent) {}

void LogindSleepWatcher::holdDelay(const QString& reason)
{
    if (m_held)
        return;
    m_held = true;
    QDBusConnection bus = QDBusConnection::systemBus();
    // Reached at the first arming, not at start-up: a clock that only waits needs no system bus.
    if (!m_listening) {
        m_listening = true;
        if (!bus.isConnected()) {
            qCInfo(lcPower, "no system bus: the computer's sleep goes unnoticed (%s)",
                   qPrintable(bus.lastError().message()));
            return;
        }
        bus.connect(Service, Path, Interface, QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    }
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Kestrune") << reason << QStringLiteral("delay");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation = ++m_generation] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            static bool told = false;
            if (!told)
                qCInfo(lcPower, "no sleep delay from logind: %s", qPrintable(reply.errorMessage()));
            told = true;
            return;
        }
        // A release while this was on its way lets the descriptor go with the reply.
        if (generation == m_generation && m_held)
            m_lock = reply.arguments().value(0).value<QDBusUnixFileDescriptor>();
    });
}

void LogindSleepWatcher::releaseDelay()
{
    m_held = false;
    ++m_generation;
    m_lock = QDBusUnixFileDescriptor();
}

void LogindSleepWatcher::prepareForSleep(bool start)
{
    if (start)
        emit sleeping();
    else
        emit resumed();
}
