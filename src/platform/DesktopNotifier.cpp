#include "platform/DesktopNotifier.h"

#include "core/LogCategories.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <utility>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

void DesktopNotifier::listen(QDBusConnection& bus)
{
    // At the first show rather than at start-up: the answers only matter once something is shown.
    if (m_listening)
        return;
    m_listening = true;
    bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
    bus.connect(Service, Path, Interface, QStringLiteral("ActivationToken"), this,
                SLOT(onActivationToken(uint, QString)));
}

void DesktopNotifier::show(const Content& content)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        emit answered();
        return;
    }
    listen(bus);
    if (content.anew && m_id != 0) {
        closeId(m_id);
        m_id = 0;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    call << content.appName << m_id << content.icon << content.summary << content.body << content.actions
         << content.hints << content.expireTimeout;
    // No service activation: a desktop without a server has no notifications, and must not wait for one.
    call.setAutoStartService(false);
    m_pending = true;
    m_withdrawPending = false;
    m_replacing = m_id;
    const quint64 generation = ++m_generation;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        emit answered();
        const QDBusPendingReply<uint> reply = *watcher;
        if (generation != m_generation) {
            // A later show went out before this one's number came back, so it could not replace it;
            // unless both replaced the one on screen, which the later show keeps.
            if (!reply.isError() && reply.value() != 0 && reply.value() != m_replacing)
                closeId(reply.value());
            return;
        }
        m_pending = false;
        if (reply.isError())
            return;
        m_id = reply.value();
        if (m_withdrawPending) {
            m_withdrawPending = false;
            withdraw();
        }
    });
}

void DesktopNotifier::withdraw()
{
    if (m_pending) {
        // Closed as soon as the server tells its number.
        m_withdrawPending = true;
        return;
    }
    m_closedId = 0;
    m_token.clear();
    if (m_id == 0)
        return;
    closeId(m_id);
    m_id = 0;
}

void DesktopNotifier::closeId(uint id)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("CloseNotification"));
    call << id;
    call.setAutoStartService(false);
    QDBusConnection::sessionBus().send(call);
}

void DesktopNotifier::onActionInvoked(uint id, const QString& key)
{
    if (!isOurs(id))
        return; // another program's notification, or one already withdrawn
    const QString token = std::exchange(m_token, QString());
    emit actionInvoked(key, token);
}

void DesktopNotifier::onActivationToken(uint id, const QString& token)
{
    // Sent just before the action it belongs to.
    if (isOurs(id))
        m_token = token;
}

void DesktopNotifier::onClosed(uint id, uint reason)
{
    // Closed by the user, expired or dismissed after an action: the ring is not the notification's
    // to end. Some servers close before they report the action that closed it.
    qCDebug(lcNotify, "notification %u closed by the server (reason %u)", id, reason);
    if (id != 0 && id == m_id) {
        m_closedId = m_id;
        m_id = 0;
    }
}
