#pragma once

#include <QDBusVirtualObject>
#include <QString>
#include <QVariantMap>
#include <functional>

// The ring as a media player on the session bus (MPRIS), so that a locked screen's media controls,
// the media keys and a headset's buttons reach it: Pause (and PlayPause while playing) is one command,
// Stop another, Raise shows the window; Play changes nothing. It is on the bus only between show() and withdraw(), so
// it never takes the media keys from the user's music player otherwise. Every call to the bus is asynchronous.
class MprisPlayer : public QDBusVirtualObject {
    Q_OBJECT
public:
    explicit MprisPlayer(QObject* parent = nullptr);
    ~MprisPlayer() override;

    // Each returns what it refused, in the user's words; empty when it was done.
    std::function<QString()> onPause;
    std::function<QString()> onStop;
    std::function<void()> onRaise;

    // On the bus, playing or paused, with this title; changes are told to the bus's listeners.
    void show(bool playing, const QString& title);
    // Off the bus.
    void withdraw();
    bool isShown() const { return m_shown; }

    static const QString ServiceName;
    static const QString ObjectPath;
    // The desktop entry's id, which a desktop shows the player's name and icon from.
    static const QString DesktopEntry;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    QString introspect(const QString& path) const override;

private:
    QVariantMap rootProperties() const;
    QVariantMap playerProperties() const;
    QVariantMap properties(const QString& interface) const;
    void answer(const QDBusMessage& message, const QDBusConnection& connection);
    void answerProperties(const QDBusMessage& message, const QDBusConnection& connection) const;
    void tellChanged(const QVariantMap& before) const;

    bool m_shown = false;
    bool m_playing = false;
    QString m_title;
};
