#include "soundhost/SoundHost.h"

#include "core/LogCategories.h"
#include "platform/Capabilities.h"
#include "sound/AlarmPlayer.h"
#include "sound/CanberraSound.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {
// However stuck the sound stack is, the process is gone this long after it was told to end.
constexpr unsigned FinishSeconds = 5;
} // namespace

SoundHost::SoundHost()
    : m_player(std::make_unique<AlarmPlayer>()), m_alert(std::make_unique<CanberraSound>()),
      m_input(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this))
{
    m_player->onError = [this](const QString& path, const QString& reason, PlayerBackend::Fault) {
        send(SoundMessage::Failed, m_startId, path, reason);
    };
    m_player->onPrepareError = [this](const QString& path, const QString& reason, PlayerBackend::Fault) {
        send(SoundMessage::PrepareFailed, m_prepareId, path, reason);
    };
    m_player->onOutputLost = [this] { send(SoundMessage::OutputLost, 0, {}, m_player->outputProblem()); };
    m_player->onOutputBack = [this] { send(SoundMessage::OutputBack, 0); };
    m_player->onFlowing = [this] {
        if (!m_started) {
            m_started = true;
            m_lastFlowing.start();
            send(SoundMessage::Started, m_startId);
        } else if (m_lastFlowing.elapsed() >= FlowingMilliseconds) {
            m_lastFlowing.start();
            send(SoundMessage::Flowing, m_startId);
        }
    };
    m_player->onOutputRaised = [this](const QString& saved) { send(SoundMessage::OutputRaised, 0, {}, saved); };
    connect(m_input, &QSocketNotifier::activated, this, &SoundHost::readCommands);
}

SoundHost::~SoundHost() = default;

int SoundHost::run(int argc, char* argv[])
{
    // It decodes whatever file it is given: with no privilege at all, whoever started it. The
    // program drops them before it starts this process; a process started otherwise drops them here.
    Capabilities::trimHelper(Capabilities::None);
    // The program's end is this process's end: it closes the pipe, and that puts the output's level
    // back first. A signal meant for both (a terminal's, the session's) is left to the program.
    for (const int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
        std::signal(sig, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kestrune"));
    SoundHost host;
    return QCoreApplication::exec();
}

void SoundHost::readCommands()
{
    char chunk[4096];
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        finish(0);
        return;
    }
    m_buffer.append(chunk, got);
    if (!SoundMessage::takeAll(m_buffer, [this](const SoundMessage& m) {
            handle(m);
            return true;
        })) {
        qCWarning(lcSound, "the sound process was sent something that is not a message; it ends");
        finish(1);
    }
}

void SoundHost::handle(const SoundMessage& m)
{
    switch (m.kind) {
    case SoundMessage::Prepare:
        m_prepareId = m.id;
        m_player->prepare(m.path);
        break;
    case SoundMessage::Start:
        m_startId = m.id;
        m_started = false;
        m_player->setRaisesOutput(!(m.number & SoundMessage::LeavesOutput));
        m_player->start(m.path, m.number & SoundMessage::Loops);
        break;
    case SoundMessage::Stop:
        m_startId = 0;
        m_player->stop();
        break;
    case SoundMessage::StartAt:
        m_player->startAt(m.path, m.number);
        break;
    case SoundMessage::Release:
        m_startId = 0;
        m_player->release();
        break;
    case SoundMessage::Gain:
        m_player->setGain(m.gain);
        break;
    case SoundMessage::AlertPrepare:
        m_alert->prepare();
        break;
    case SoundMessage::AlertPlay:
        m_alert->play(m.path);
        break;
    case SoundMessage::OutputWas:
        m_player->adoptRaisedOutput(m.text);
        break;
    default:
        qCDebug(lcSound, "the sound process ignores a message meant for the program");
        break;
    }
}

void SoundHost::send(SoundMessage::Kind kind, quint32 id, const QString& path, const QString& text)
{
    SoundMessage m;
    m.kind = kind;
    m.id = id;
    m.path = path;
    m.text = text;
    const QByteArray bytes = m.frame();
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + sent, size_t(bytes.size() - sent));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // the program is gone; its closed input ends this process next
        sent += n;
    }
}

void SoundHost::finish(int code)
{
    m_input->setEnabled(false);
    ::alarm(FinishSeconds);
    // The player goes first: it puts the output's level back and lets go of the server.
    m_player.reset();
    // The sound stack's threads and globals are not torn down one by one: the process just ends.
    ::_exit(code);
}
