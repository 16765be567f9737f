// A stand-in for the sound program, to try the program's side of the pipe against one that
// misbehaves. Each process started takes the next behaviour from FAKE_SOUND_HOST ("crash,good":
// the first crashes, the later ones work) and appends what it is told to FAKE_SOUND_HOST_LOG.
// crash: dies at a start; crash-file: dies at any file but the built-in tone; hang: never answers;
// stuck: stops showing its sound move on; slow: answers a start late (FAKE_SOUND_HOST_SLOW_MS,
// 1500 by default); exit: ends at once;
// raises: says it raised the output's level, and that it put it back when asked to end.
#include "soundclient/SoundMessage.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QFile log(qEnvironmentVariable("FAKE_SOUND_HOST_LOG"));
    const int earlier = log.open(QIODevice::ReadOnly) ? int(log.readAll().count("process\n")) : 0;
    log.close();
    const QStringList modes = qEnvironmentVariable("FAKE_SOUND_HOST").split(u',');
    const QString mode = modes.value(earlier, modes.last());
    if (!log.open(QIODevice::Append) || log.write("process\n") < 0 || !log.flush())
        return 2;
    if (mode == u"exit")
        return 0;
    if (mode == u"hang")
        for (;;)
            ::pause();
    QByteArray buffer;
    quint32 first = 0;
    quint32 playing = 0;
    const auto send = [](SoundMessage::Kind kind, quint32 id, const QString& text = {}) {
        SoundMessage m;
        m.kind = kind;
        m.id = id;
        m.text = text;
        const QByteArray bytes = m.frame();
        return ::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size()));
    };
    QTimer flowing;
    QObject::connect(&flowing, &QTimer::timeout, [&] { send(SoundMessage::Flowing, playing); });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[4096];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            // Asked to end: what it raised is put back, and it says so.
            if (mode == u"raises")
                send(SoundMessage::OutputRaised, 0);
            std::exit(0);
        }
        buffer.append(chunk, got);
        SoundMessage::takeAll(buffer, [&](const SoundMessage& m) {
            log.write(QStringLiteral("%1 %2\n").arg(int(m.kind)).arg(m.path.isEmpty() ? m.text : m.path).toUtf8());
            log.flush();
            if (mode == u"crash-file" && !m.path.isEmpty() && !m.path.endsWith(u"alarm-tone.mp3"))
                std::abort();
            if (m.kind == SoundMessage::Stop || m.kind == SoundMessage::Release)
                flowing.stop();
            if (m.kind != SoundMessage::Start)
                return true;
            if (mode == u"crash")
                std::abort();
            if (mode == u"garbage")
                return ::write(STDOUT_FILENO, "not a message at all", 20) < 0;
            if (mode == u"raises")
                send(SoundMessage::OutputRaised, 0, QStringLiteral("muted at 20 %"));
            if (mode == u"raise") {
                send(SoundMessage::OutputRaised, 0, QStringLiteral("muted at 20 %"));
                std::abort();
            }
            // An answer for the first start, arriving after a later one was asked for.
            if (mode == u"late" && first != 0)
                send(SoundMessage::Failed, first, QStringLiteral("a late failure"));
            first = first ? first : m.id;
            playing = m.id;
            if (mode == u"slow")
                QThread::msleep(qEnvironmentVariableIsSet("FAKE_SOUND_HOST_SLOW_MS")
                                    ? qEnvironmentVariableIntValue("FAKE_SOUND_HOST_SLOW_MS")
                                    : 1500);
            send(SoundMessage::Started, m.id);
            if (mode != u"stuck")
                flowing.start(200);
            return true;
        });
    });
    return QCoreApplication::exec();
}
