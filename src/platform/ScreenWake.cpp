#include "platform/ScreenWake.h"

#include "core/LogCategories.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <xcb/dpms.h>
#include <xcb/xcb.h>

namespace {
// Only where the name has an owner: on GNOME the freedesktop name belongs to a proxy that offers
// inhibition only, or to no one, and a desktop without the service has nothing to wake. Nothing waits.
void tellWhereOwned(const QString& service, const QString& path, const QString& interface, const QString& method)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage ask =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << service;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [=] {
        watcher->deleteLater();
        const QDBusPendingReply<bool> owned = *watcher;
        if (!owned.isValid() || !owned.value()) {
            qCDebug(lcDesktop, "no %s to wake the display with", qPrintable(service));
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
        call.setAutoStartService(false);
        QDBusConnection::sessionBus().send(call);
    });
}

void wakeX11()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    xcb_force_screen_saver(c, XCB_SCREEN_SAVER_RESET);
    // A request of an extension the server lacks would end Qt's connection: asked only where it is
    // there (Xvfb has none). Forcing the level fails where DPMS is switched off; that error is dropped.
    const xcb_query_extension_reply_t* dpms = xcb_get_extension_data(c, &xcb_dpms_id);
    if (dpms && dpms->present)
        xcb_discard_reply(c, xcb_dpms_force_level_checked(c, XCB_DPMS_DPMS_MODE_ON).sequence);
    xcb_flush(c);
}
} // namespace

void ScreenWake::wake()
{
    wakeX11();
    if (!QDBusConnection::sessionBus().isConnected())
        return;
    tellWhereOwned(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                   QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("SimulateUserActivity"));
    tellWhereOwned(QStringLiteral("org.kde.Solid.PowerManagement"), QStringLiteral("/org/kde/Solid/PowerManagement"),
                   QStringLiteral("org.kde.Solid.PowerManagement"), QStringLiteral("wakeup"));
    qCDebug(lcDesktop, "the display was woken for the ring");
}
