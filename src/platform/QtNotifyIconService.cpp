#include "platform/QtNotifyIconService.h"

#include "platform/AfterFirstPaint.h"
#include "platform/Picture.h"
#include "platform/WindowProcs.h"

#include <QCoreApplication>

QtNotifyIconService::QtNotifyIconService()
{
    // Tray icons are widgets underneath and must go before the application object does.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &QtNotifyIconService::removeAll);
}

bool QtNotifyIconService::notify(Message message, const NotifyIconData& data)
{
    const Key key(data.hWnd, data.uID);
    switch (message) {
    case NIM_ADD: {
        if (m_icons.contains(key))
            return false;
        auto* icon = new QSystemTrayIcon(this);
        Entry& entry = m_icons[key];
        entry.icon = icon;
        entry.serial = m_nextSerial++;
        apply(entry, data);
        // Queued, as the desktop posts its notifications: the procedure may open a menu, end the
        // program and delete this icon, none of which may happen inside the icon's own mouse event.
        connect(
            icon, &QSystemTrayIcon::activated, this,
            [this, key, serial = entry.serial](QSystemTrayIcon::ActivationReason reason) {
                deliver(key, serial, reason);
            },
            Qt::QueuedConnection);
        // Reaching the notification area is session-bus or X11 work that the first paint need not wait for.
        AfterFirstPaint::run(icon, [icon] { icon->show(); });
        return true;
    }
    case NIM_MODIFY: {
        auto it = m_icons.find(key);
        if (it == m_icons.end())
            return false;
        apply(*it, data);
        return true;
    }
    case NIM_DELETE: {
        const Entry entry = m_icons.take(key);
        delete entry.exported.data();
        if (!entry.icon)
            return false;
        delete entry.icon.data();
        return true;
    }
    }
    return false;
}

void QtNotifyIconService::exportMenu(const NotifyIconData& data, QMenu* menu)
{
    const auto it = m_icons.find(Key(data.hWnd, data.uID));
    if (it == m_icons.end() || !it->icon)
        return;
    delete it->exported.data();
    it->icon->setContextMenu(nullptr);
    if (!menu)
        return;
    // A copy holding the same actions: exporting gives a menu a D-Bus twin, which the owner's menu,
    // also shown in its window's menu bar, must not get. A pick in the copy triggers the owner's action.
    auto* copy = new QMenu;
    copy->addActions(menu->actions());
    it->icon->setContextMenu(copy);
    if (!copy->platformMenu()) {
        // XEmbed: Qt would pop this copy itself on a right press, besides the procedure's own menu.
        it->icon->setContextMenu(nullptr);
        delete copy;
        return;
    }
    it->exported = copy;
}

qint32 QtNotifyIconService::mouseMessageFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return WindowProcs::WM_LBUTTONUP;
    case QSystemTrayIcon::Context:
        return WindowProcs::WM_RBUTTONUP;
    case QSystemTrayIcon::DoubleClick:
        // Qt reports the click that started it as a Trigger first, so this follows a release.
        return WindowProcs::WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::MiddleClick:
        return WindowProcs::WM_MBUTTONUP;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

void QtNotifyIconService::apply(Entry& entry, const NotifyIconData& data)
{
    if (data.uFlags & NotifyIconData::NIF_MESSAGE)
        entry.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NotifyIconData::NIF_ICON)
        entry.icon->setIcon(Picture::iconFor(data.hIcon));
    if (data.uFlags & NotifyIconData::NIF_TIP)
        entry.icon->setToolTip(data.shownTip());
}

void QtNotifyIconService::deliver(const Key& key, quint64 serial, QSystemTrayIcon::ActivationReason reason)
{
    // The icon may have been deleted, or replaced, since the activation was queued.
    const auto it = m_icons.constFind(key);
    if (it == m_icons.cend() || it->serial != serial || it->callbackMessage == 0)
        return;
    if (const qint32 mouseMessage = mouseMessageFor(reason))
        WindowProcs::sendMessage(key.first, it->callbackMessage, qint32(key.second), mouseMessage);
}

void QtNotifyIconService::removeAll()
{
    for (const Entry& entry : std::as_const(m_icons)) {
        delete entry.icon.data();
        delete entry.exported.data();
    }
    m_icons.clear();
}
