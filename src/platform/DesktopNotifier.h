#pragma once

#include <QDBusConnection>
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
        bool anew = false;        // the one on screen withdrawn and a new one posted, not updated in place
    };

    explicit DesktopNotifier(QObject* parent = nullptr);

    virtual void show(const Content& content);
    // Withdraws the notification shown last, also one whose show is still on its way.
    virtual void withdraw();
    bool isShown() const { return m_id != 0 || m_pending; }

signals:
    // The user picked one of the notification's actions ("default" for the notification itself).
    // The token, when the server sent one, lets the window come to the front on Wayland.
    void actionInvoked(const QString& key, const QString& activationToken);
    // The server answered a show, or could not be reached.
    void answered();

private slots:
    void onActionInvoked(uint id, const QString& key);
    void onActivationToken(uint id, const QString& token);
    void onClosed(uint id, uint reason);

private:
    void listen(QDBusConnection& bus);
    void closeId(uint id);
    bool isOurs(uint id) const { return id != 0 && (id == m_id || id == m_closedId); }

    uint m_id = 0;            // the server's number for the notification on screen
    uint m_closedId = 0;      // closed by the server or the user: its action may still be on its way
    QString m_token;          // the activation token sent ahead of an action
    bool m_pending = false;   // a show is on its way and its number not known yet
    bool m_listening = false; // the service's signals are connected, from the first show on
    bool m_withdrawPending = false;
    uint m_replacing = 0; // the number the latest show asked the server to replace
    quint64 m_generation = 0;
};
