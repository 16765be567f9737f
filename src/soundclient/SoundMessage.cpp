#include "soundclient/SoundMessage.h"

#include <QDataStream>
#include <QIODevice>

namespace {
constexpr auto StreamVersion = QDataStream::Qt_6_0;
}

QByteArray SoundMessage::frame() const
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    // A QString goes as UTF-16, so a name that is not valid UTF-8 on disk survives the trip.
    out << quint8(kind) << id << path << text << number << gain;
    QByteArray framed;
    QDataStream head(&framed, QIODevice::WriteOnly);
    head.setVersion(StreamVersion);
    head << quint32(body.size());
    return framed + body;
}

SoundMessage::Taken SoundMessage::take(QByteArray& buffer, SoundMessage& message)
{
    if (buffer.size() < int(sizeof(quint32)))
        return Taken::Incomplete;
    quint32 size = 0;
    {
        QDataStream head(buffer);
        head.setVersion(StreamVersion);
        head >> size;
    }
    if (size > MaxFrameBytes)
        return Taken::Broken;
    if (quint64(buffer.size()) < sizeof(quint32) + size)
        return Taken::Incomplete;
    const QByteArray body = buffer.mid(sizeof(quint32), size);
    buffer.remove(0, sizeof(quint32) + size);
    QDataStream in(body);
    in.setVersion(StreamVersion);
    quint8 kind = 0;
    SoundMessage m;
    in >> kind >> m.id >> m.path >> m.text >> m.number >> m.gain;
    if (in.status() != QDataStream::Ok || !in.atEnd() || kind < Prepare || kind > OutputRaised)
        return Taken::Broken;
    m.kind = Kind(kind);
    message = m;
    return Taken::Message;
}

bool SoundMessage::takeAll(QByteArray& buffer, const std::function<bool(const SoundMessage&)>& handle)
{
    SoundMessage message;
    for (;;) {
        switch (take(buffer, message)) {
        case Taken::Incomplete:
            return true;
        case Taken::Broken:
            return false;
        case Taken::Message:
            if (!handle(message))
                return true;
            break;
        }
    }
}
