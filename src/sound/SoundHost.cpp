#include "sound/SoundHost.h"

#include "core/LogCategories.h"
#include "platform/PlayerBackend.h"
#include "platform/SystemSound.h"
#include "sound/SoundModule.h"

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
    : m_player(SoundModule::createPlayer()), m_alert(SoundModule::desktopSound()),
      m_input(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this))
{
    m_player->onError = [this](const QString& path, const QString& reason) {
        send(SoundMessage::Failed, path, reason);
    };
    m_player->onPrepareError = [this](const QString& path, const QString& reason) {
        send(SoundMessage::PrepareFailed, path, reason);
    };
    m_player->onOutputLost = [this] { send(SoundMessage::OutputLost, {}, m_player->outputProblem()); };
    m_player->onOutputBack = [this] { send(SoundMessage::OutputBack); };
    connect(m_input, &QSocketNotifier::activated, this, &SoundHost::readCommands);
    // Known from the start when the module is missing: said before anything is asked.
    if (!m_player->outputProblem().isEmpty())
        send(SoundMessage::OutputLost, {}, m_player->outputProblem());
}

SoundHost::~SoundHost() = default;

int SoundHost::run(int argc, char* argv[])
{
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
        m_player->prepare(m.path);
        break;
    case SoundMessage::Start:
        m_player->start(m.path, m.number != 0);
        break;
    case SoundMessage::Stop:
        m_player->stop();
        break;
    case SoundMessage::StartAt:
        m_player->startAt(m.path, m.number);
        break;
    case SoundMessage::Release:
        m_player->release();
        break;
    case SoundMessage::Gain:
        m_player->setGain(m.gain);
        break;
    case SoundMessage::AlertPrepare:
        if (m_alert)
            m_alert->prepare();
        break;
    case SoundMessage::AlertPlay:
        if (m_alert)
            m_alert->play(m.path);
        break;
    default:
        qCDebug(lcSound, "the sound process ignores a message meant for the program");
        break;
    }
}

void SoundHost::send(SoundMessage::Kind kind, const QString& path, const QString& text)
{
    SoundMessage m;
    m.kind = kind;
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
