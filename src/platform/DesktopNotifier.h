#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// One desktop notification at a time, through the freedesktop notification service on the session
// bus. Every call is asynchronous: without a server, or with a slow one, nothing waits and nothing
// changes. Showing again replaces the notification on screen instead of adding a second one.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    struct Content {
        QString appName;
        QString icon;
        QString summary;
        QString body;
        QStringList actions; // key, label, key, label...
        QVariantMap hints;
        qint32 expireTimeout = 0; // 0: stays until withdrawn
    };

    explicit DesktopNotifier(QObject* parent = nullptr);

    void show(const Content& content);
    // Withdraws the notification shown last, also one whose show is still on its way.
    void withdraw();
    bool isShown() const { return m_id != 0 || m_pending; }

signals:
    // The user picked one of the notification's actions ("default" for the notification itself).
    void actionInvoked(const QString& key);
    // The server answered a show, or could not be reached.
    void answered();

private slots:
    void onActionInvoked(uint id, const QString& key);
    void onClosed(uint id, uint reason);

private:
    void closeId(uint id);

    uint m_id = 0;          // the server's number for the notification on screen
    bool m_pending = false; // a show is on its way and its number not known yet
    bool m_withdrawPending = false;
    quint64 m_generation = 0;
};
