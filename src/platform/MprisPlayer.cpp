#include "platform/MprisPlayer.h"

#include "core/LogCategories.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

const QString MprisPlayer::ServiceName = QStringLiteral("org.mpris.MediaPlayer2.kestrune");
const QString MprisPlayer::ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString MprisPlayer::DesktopEntry = QStringLiteral("org.kestrune.Kestrune");

namespace {
const QString Root = QStringLiteral("org.mpris.MediaPlayer2");
const QString Player = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString Failed = QStringLiteral("org.freedesktop.DBus.Error.Failed");

void busCall(const QString& method, const QString& name)
{
    // RequestName's flag 4: do not queue; one running copy owns it or nobody does.
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), method);
    call << name;
    if (method != QLatin1String("RequestName")) {
        QDBusConnection::sessionBus().asyncCall(call);
        return;
    }
    call << uint(4);
    // Another program holding the name gets the media keys meant for the ring: said, not kept quiet.
    // The ring's notification offers Sleep and OFF all the same.
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [name](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        // 1: the primary owner now; 4: it was already.
        if (reply.isError() || (reply.value() != 1 && reply.value() != 4))
            qCWarning(lcDesktop,
                      "the media player name %s is taken by another program; the media keys do not reach "
                      "the ring, its notification still offers Sleep and OFF",
                      qPrintable(name));
        done->deleteLater();
    });
}

const char IntrospectionXml[] = R"(  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg name="Offset" type="x" direction="in"/></method>
    <method name="SetPosition"><arg name="TrackId" type="o" direction="in"/><arg name="Position" type="x" direction="in"/></method>
    <method name="OpenUri"><arg name="Uri" type="s" direction="in"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="readwrite"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="readwrite"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
)";
} // namespace

MprisPlayer::MprisPlayer(QObject* parent) : QDBusVirtualObject(parent) {}

MprisPlayer::~MprisPlayer()
{
    withdraw();
}

void MprisPlayer::show(bool playing, const QString& title)
{
    const QVariantMap before = playerProperties();
    m_playing = playing;
    m_title = title;
    if (m_shown) {
        tellChanged(before);
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // The object first, so the player is whole when its name appears.
    if (!bus.registerVirtualObject(ObjectPath, this, QDBusConnection::SingleNode)) {
        qCInfo(lcDesktop, "the media player object could not be registered");
        return;
    }
    m_shown = true;
    busCall(QStringLiteral("RequestName"), ServiceName);
}

void MprisPlayer::withdraw()
{
    if (!m_shown)
        return;
    m_shown = false;
    busCall(QStringLiteral("ReleaseName"), ServiceName);
    QDBusConnection::sessionBus().unregisterObject(ObjectPath);
}

QVariantMap MprisPlayer::rootProperties() const
{
    return {
        {QStringLiteral("CanQuit"), false},
        {QStringLiteral("CanRaise"), true},
        {QStringLiteral("HasTrackList"), false},
        {QStringLiteral("Identity"), QStringLiteral("Kestrune")},
        {QStringLiteral("DesktopEntry"), DesktopEntry},
        {QStringLiteral("SupportedUriSchemes"), QStringList()},
        {QStringLiteral("SupportedMimeTypes"), QStringList()},
    };
}

QVariantMap MprisPlayer::playerProperties() const
{
    const QVariantMap metadata{
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/kestrune/Kestrune/Alarm")))},
        {QStringLiteral("xesam:title"), m_title},
        {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("Kestrune")}},
    };
    // Pause snoozes, and again while snoozed does nothing, as a second "Sleep" does; Play is taken
    // and changes nothing (a snooze is not cut short from a media control), but CanPlay stays true:
    // GNOME hides a player that cannot play, and playerctl then refuses its Stop, so OFF would be
    // out of reach through a snooze. There is nothing to seek in or skip to.
    return {
        {QStringLiteral("PlaybackStatus"), m_playing ? QStringLiteral("Playing") : QStringLiteral("Paused")},
        {QStringLiteral("Rate"), 1.0},
        {QStringLiteral("Metadata"), metadata},
        {QStringLiteral("Volume"), 1.0},
        {QStringLiteral("Position"), qlonglong(0)},
        {QStringLiteral("MinimumRate"), 1.0},
        {QStringLiteral("MaximumRate"), 1.0},
        {QStringLiteral("CanGoNext"), false},
        {QStringLiteral("CanGoPrevious"), false},
        {QStringLiteral("CanPlay"), true},
        {QStringLiteral("CanPause"), true},
        {QStringLiteral("CanSeek"), false},
        {QStringLiteral("CanControl"), true},
    };
}

QVariantMap MprisPlayer::properties(const QString& interface) const
{
    if (interface == Root)
        return rootProperties();
    if (interface == Player)
        return playerProperties();
    return {};
}

void MprisPlayer::tellChanged(const QVariantMap& before) const
{
    QVariantMap changed;
    const QVariantMap now = playerProperties();
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (before.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, Properties, QStringLiteral("PropertiesChanged"));
    signal << Player << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void MprisPlayer::answerProperties(const QDBusMessage& message, const QDBusConnection& connection) const
{
    const QList<QVariant> args = message.arguments();
    const QString interface = args.value(0).toString();
    const QString member = message.member();
    if (member == QLatin1String("GetAll")) {
        connection.send(message.createReply(QVariant::fromValue(properties(interface))));
        return;
    }
    const QString name = args.value(1).toString();
    if (member == QLatin1String("Get")) {
        const QVariantMap all = properties(interface);
        if (!all.contains(name))
            connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
                                                     QStringLiteral("No such property: %1").arg(name)));
        else
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(all.value(name)))));
        return;
    }
    // Set: the rate is fixed, and the level is the fade's; a player may refuse both.
    connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"),
                                             QStringLiteral("The alarm's %1 cannot be changed").arg(name)));
}

bool MprisPlayer::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString interface = message.interface();
    const bool ours =
        interface == Properties || interface == Root || interface == Player ||
        (interface.isEmpty() &&
         !QStringList{QStringLiteral("Introspect"), QStringLiteral("Ping"), QStringLiteral("GetMachineId")}.contains(
             message.member()));
    if (!ours)
        return false; // introspection and the peer interface are Qt's, from introspect()
    // Answered on the object's own thread, where the commands live, whichever thread the call came in on.
    QMetaObject::invokeMethod(this, [this, message, connection] { answer(message, connection); });
    return true;
}

void MprisPlayer::answer(const QDBusMessage& message, const QDBusConnection& connection)
{
    const QString interface = message.interface();
    const QString member = message.member();
    if (interface == Properties) {
        answerProperties(message, connection);
        return;
    }
    QString refusal;
    if (member == QLatin1String("Raise")) {
        if (onRaise)
            onRaise();
    } else if (member == QLatin1String("Pause") || (member == QLatin1String("PlayPause") && m_playing)) {
        refusal = onPause ? onPause() : QString();
    } else if (member == QLatin1String("Stop")) {
        refusal = onStop ? onStop() : QString();
    } else if (member == QLatin1String("OpenUri")) {
        refusal = tr("The alarm plays no other sound");
    } else if (!QStringList{QStringLiteral("Quit"), QStringLiteral("Play"), QStringLiteral("Next"),
                            QStringLiteral("Previous"), QStringLiteral("Seek"), QStringLiteral("SetPosition")}
                    .contains(member)) {
        connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                                 QStringLiteral("No such method: %1").arg(member)));
        return;
    }
    // Quit, Next, Previous, Seek and SetPosition do nothing, as CanQuit and the Can... properties say;
    // Play, and PlayPause while snoozed, find the ring playing or waiting to: an alarm is not ended
    // or brought forward from a media control.
    connection.send(refusal.isEmpty() ? message.createReply() : message.createErrorReply(Failed, refusal));
}

QString MprisPlayer::introspect(const QString&) const
{
    return QString::fromLatin1(IntrospectionXml);
}
