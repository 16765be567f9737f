#pragma once

#include "platform/NotifyIconService.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

// The notification area through QSystemTrayIcon: one tray icon per record, driven by the record's
// icon and tip. Its activations become the callback message at the owner's window procedure; it
// has no context menu of its own, the procedure opens one itself.
class QtNotifyIconService : public QObject, public NotifyIconService {
    Q_OBJECT
public:
    QtNotifyIconService();
    bool notify(Message message, const NotifyIconData& data) override;

    // The mouse message an activation stands for; 0 for one that has none.
    static qint32 mouseMessageFor(QSystemTrayIcon::ActivationReason reason);

private:
    struct Entry {
        QPointer<QSystemTrayIcon> icon;
        quint64 serial = 0;
        quint32 callbackMessage = 0;
    };
    using Key = QPair<qint32, quint32>;

    static void apply(Entry& entry, const NotifyIconData& data);
    void deliver(const Key& key, quint64 serial, QSystemTrayIcon::ActivationReason reason);
    void removeAll();

    QHash<Key, Entry> m_icons;
    quint64 m_nextSerial = 1;
};
