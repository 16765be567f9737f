#include "sound/SoundProcess.h"

#include "core/LogCategories.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {
// A process that ends on its own is started again this many times for one sound asked for; after
// that the sound is reported as failed, so the engine's fallbacks run.
constexpr int MaxRestarts = 2;
// On the way out, how long the sound process gets to put the output's level back.
constexpr int FinishWaitMilliseconds = 2000;
} // namespace

SoundProcess::SoundProcess() : m_end(new QTimer(this))
{
    QStringList tried;
    m_program = program(&tried);
    if (m_program.isEmpty()) {
        m_problem =
            QStringLiteral("the sound program is missing (looked for %1)").arg(tried.join(QStringLiteral(", ")));
        qCWarning(lcSound).noquote() << m_problem;
    }
    m_end->setSingleShot(true);
    m_end->setInterval(EndMilliseconds);
    connect(m_end, &QTimer::timeout, this, [this] {
        if (m_prepared.isEmpty() && m_playing.isEmpty())
            endProcess();
    });
}

SoundProcess::~SoundProcess()
{
    if (!m_process)
        return;
    // Asked to end as at OFF, so a ringing output gets its level back; then it is made to.
    m_process->disconnect(this);
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(FinishWaitMilliseconds))
        m_process->kill();
}

QString SoundProcess::program(QStringList* tried)
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString name = QString::fromLatin1(ProgramName);
    const QStringList places{here.filePath(name),
                             QDir::cleanPath(here.filePath(QStringLiteral("../" KESTRUNE_MODULE_SUBDIR "/") + name))};
    for (const QString& place : places) {
        const QFileInfo info(place);
        if (info.isFile() && info.isExecutable())
            return place;
    }
    if (tried)
        *tried = places;
    return QString();
}

bool SoundProcess::running()
{
    if (m_process)
        return true;
    if (m_program.isEmpty())
        return false;
    m_buffer.clear();
    // A new process knows nothing yet: what the last one found is its own to find again.
    m_problem.clear();
    m_process = new QProcess(this);
    // What the sound stack logs goes where this program's log goes.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcess* process = m_process;
    connect(process, &QProcess::readyReadStandardOutput, this, &SoundProcess::readEvents);
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
        ended(process, status == QProcess::CrashExit ? QStringLiteral("the sound process crashed")
                                                     : QStringLiteral("the sound process ended (status %1)").arg(code));
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(process,
                  QStringLiteral("the sound program %1 cannot be started: %2").arg(m_program, process->errorString()));
    });
    m_process->start(m_program, {});
    // The volume must be in place before the first sample plays.
    send(SoundMessage::Gain);
    return m_process != nullptr;
}

void SoundProcess::send(SoundMessage::Kind kind, const QString& path, qint64 number)
{
    if (!m_process)
        return;
    SoundMessage m;
    m.kind = kind;
    m.path = path;
    m.number = number;
    m.gain = m_gain;
    m_process->write(m.frame());
}

void SoundProcess::prepare(const QString& path)
{
    m_end->stop();
    m_prepared = path;
    m_restarts = 0;
    if (running())
        send(SoundMessage::Prepare, path);
}

void SoundProcess::start(const QString& path, bool loop)
{
    m_end->stop();
    m_playing = path;
    m_loop = loop;
    m_restarts = 0;
    if (running())
        send(SoundMessage::Start, path, loop);
}

void SoundProcess::stop()
{
    m_playing.clear();
    send(SoundMessage::Stop);
}

void SoundProcess::startAt(const QString& path, qint64 epochMilliseconds)
{
    // Only to a process already up: one started now could not be ready for the second anyway.
    send(SoundMessage::StartAt, path, epochMilliseconds);
}

void SoundProcess::release()
{
    m_prepared.clear();
    m_playing.clear();
    send(SoundMessage::Release);
    if (m_process)
        m_end->start();
}

void SoundProcess::setGain(double linear)
{
    m_gain = linear;
    send(SoundMessage::Gain);
}

QString SoundProcess::outputProblem() const
{
    return m_problem;
}

void SoundProcess::prepare()
{
    m_end->stop();
    if (running())
        send(SoundMessage::AlertPrepare);
}

void SoundProcess::play(const QString& path)
{
    m_end->stop();
    if (running())
        send(SoundMessage::AlertPlay, path);
}

void SoundProcess::readEvents()
{
    if (!m_process)
        return;
    m_buffer += m_process->readAllStandardOutput();
    // A handler may end the process; what it said after that is not read.
    if (!SoundMessage::takeAll(m_buffer, [this](const SoundMessage& m) {
            handle(m);
            return m_process != nullptr;
        })) {
        qCWarning(lcSound, "the sound process said something that is not a message; it is ended");
        m_process->kill();
    }
}

void SoundProcess::handle(const SoundMessage& m)
{
    switch (m.kind) {
    case SoundMessage::Failed:
        if (onError)
            onError(m.path, m.text);
        break;
    case SoundMessage::PrepareFailed:
        if (onPrepareError)
            onPrepareError(m.path, m.text);
        break;
    case SoundMessage::OutputLost:
        m_problem = m.text;
        if (onOutputLost)
            onOutputLost();
        break;
    case SoundMessage::OutputBack:
        m_problem.clear();
        if (onOutputBack)
            onOutputBack();
        break;
    default:
        qCDebug(lcSound, "a message meant for the sound process came back");
        break;
    }
}

void SoundProcess::ended(QProcess* process, const QString& why)
{
    process->deleteLater();
    if (process != m_process)
        return; // one asked to end
    m_process = nullptr;
    qCWarning(lcSound).noquote() << why;
    // Whatever was wanted is asked of a new process, a few times: a ring must not fall silent
    // because the sound stack failed once.
    const bool wanted = !m_playing.isEmpty() || !m_prepared.isEmpty();
    if (wanted && m_restarts < MaxRestarts) {
        ++m_restarts;
        if (running()) {
            if (!m_prepared.isEmpty())
                send(SoundMessage::Prepare, m_prepared);
            if (!m_playing.isEmpty())
                send(SoundMessage::Start, m_playing, m_loop);
            return;
        }
    }
    if (!wanted)
        return;
    // It keeps failing: no sound can be made until the next arming tries a new one.
    m_problem = why;
    if (onOutputLost)
        onOutputLost();
    if (!m_playing.isEmpty() && onError)
        onError(m_playing, why);
}

void SoundProcess::endProcess()
{
    if (!m_process)
        return;
    QProcess* process = std::exchange(m_process, nullptr);
    // It ends once it has read this: the player is let go, the output's level put back.
    process->closeWriteChannel();
    QTimer::singleShot(FinishWaitMilliseconds * 3, process, [process] { process->kill(); });
}
