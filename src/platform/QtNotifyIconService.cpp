#include "platform/QtNotifyIconService.h"

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
        icon->show();
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
        if (!entry.icon)
            return false;
        delete entry.icon.data();
        return true;
    }
    }
    return false;
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
    for (const Entry& entry : std::as_const(m_icons))
        delete entry.icon.data();
    m_icons.clear();
}
