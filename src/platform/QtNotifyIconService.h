#pragma once

#include "platform/NotifyIconService.h"

#include <QHash>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

// The notification area through QSystemTrayIcon: one tray icon per record, driven by the record's
// icon and tip. Its activations become the callback message at the owner's window procedure. Where
// the tray is a StatusNotifierItem host, the icon also exports a copy of the owner's menu over D-Bus;
// under an XEmbed host it has no context menu of its own and the procedure opens the owner's menu.
class QtNotifyIconService : public QObject, public NotifyIconService {
    Q_OBJECT
public:
    QtNotifyIconService();
    bool notify(Message message, const NotifyIconData& data) override;
    void exportMenu(const NotifyIconData& data, QMenu* menu) override;

    // The mouse message an activation stands for; 0 for one that has none.
    static qint32 mouseMessageFor(QSystemTrayIcon::ActivationReason reason);

private:
    struct Entry {
        QPointer<QSystemTrayIcon> icon;
        quint64 serial = 0;
        quint32 callbackMessage = 0;
        QPointer<QMenu> exported; // the copy handed to a D-Bus host, owned by the service
    };
    using Key = QPair<qint32, quint32>;

    static void apply(Entry& entry, const NotifyIconData& data);
    void deliver(const Key& key, quint64 serial, QSystemTrayIcon::ActivationReason reason);
    void removeAll();

    QHash<Key, Entry> m_icons;
    quint64 m_nextSerial = 1;
};
