#include "soundclient/SoundProcess.h"

#include "core/LogCategories.h"
#include "core/ProgramFile.h"
#include "platform/Capabilities.h"

#include <QTimer>

namespace {
// On the way out, how long the sound process gets to put the output's level back.
constexpr int FinishWaitMilliseconds = 2000;
} // namespace

SoundProcess::SoundProcess(const QString& program)
    : m_program(program), m_end(new QTimer(this)), m_watch(new QTimer(this))
{
    if (m_program.isEmpty()) {
        QString why;
        m_program = ProgramFile::find(QString::fromLatin1(ProgramName), &why);
        if (m_program.isEmpty()) {
            m_programProblem = QStringLiteral("no sound program can be used (%1)").arg(why);
            qCWarning(lcSound).noquote() << m_programProblem;
        }
    }
    m_problem = m_programProblem;
    m_end->setSingleShot(true);
    m_end->setInterval(EndMilliseconds);
    connect(m_end, &QTimer::timeout, this, [this] {
        if (m_prepared.isEmpty() && m_playing.isEmpty())
            endProcess();
    });
    m_watch->setSingleShot(true);
    m_watch->setInterval(WatchMilliseconds);
    connect(m_watch, &QTimer::timeout, this, [this] {
        if (!m_process)
            return;
        qCWarning(lcSound, "the sound process does not show its sound moving on; it is replaced");
        // Ended as after a crash: finished() brings the replacement.
        m_process->kill();
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
    // It decodes the user's files: it runs with no privilege, whoever started the program.
    m_process->setChildProcessModifier([] { Capabilities::keepOnly(Capabilities::None); });
    QProcess* process = m_process;
    connect(process, &QProcess::readyReadStandardOutput, this, &SoundProcess::readEvents);
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
        ended(process, status == QProcess::CrashExit ? QStringLiteral("the sound process stopped or crashed")
                                                     : QStringLiteral("the sound process ended (status %1)").arg(code));
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(process,
                  QStringLiteral("the sound program %1 cannot be started: %2").arg(m_program, process->errorString()));
    });
    m_process->start(m_program, {});
    // What a process before it owes the user comes first; the volume must be in place before the
    // first sample plays.
    if (!m_raised.isEmpty())
        send(SoundMessage::OutputWas, {}, 0, m_raised);
    send(SoundMessage::Gain);
    return m_process != nullptr;
}

quint32 SoundProcess::send(SoundMessage::Kind kind, const QString& path, qint64 number, const QString& text)
{
    if (!m_process)
        return 0;
    SoundMessage m;
    m.kind = kind;
    m.id = ++m_lastId;
    m.path = path;
    m.text = text;
    m.number = number;
    m.gain = m_gain;
    m_process->write(m.frame());
    return m.id;
}

void SoundProcess::sendStart()
{
    const qint64 how = (m_loop ? SoundMessage::Loops : 0) | (m_raises ? 0 : SoundMessage::LeavesOutput);
    m_startId = send(SoundMessage::Start, m_playing, how);
    if (m_startId != 0)
        m_watch->start();
}

void SoundProcess::prepare(const QString& path)
{
    m_end->stop();
    m_prepared = path;
    m_restarts = 0;
    if (running())
        m_prepareId = send(SoundMessage::Prepare, path);
}

void SoundProcess::start(const QString& path, bool loop)
{
    m_end->stop();
    m_playing = path;
    m_loop = loop;
    m_restarts = 0;
    if (running())
        sendStart();
}

void SoundProcess::stop()
{
    m_playing.clear();
    m_startId = 0;
    m_watch->stop();
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
    m_startId = 0;
    m_prepareId = 0;
    m_watch->stop();
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
        qCWarning(lcSound, "the sound process said something that is not a message; it is replaced");
        m_process->kill();
    }
}

void SoundProcess::handle(const SoundMessage& m)
{
    // An answer to a request since replaced or called off is about nothing now wanted.
    const bool aboutStart = m.id != 0 && m.id == m_startId && !m_playing.isEmpty();
    switch (m.kind) {
    case SoundMessage::Started:
    case SoundMessage::Flowing:
        if (aboutStart)
            m_watch->start();
        break;
    case SoundMessage::Failed:
        if (!aboutStart) {
            qCDebug(lcSound).noquote() << "a late failure of an earlier sound, dropped:" << m.text;
            break;
        }
        // Answered: the engine's fallbacks take it from here.
        m_watch->stop();
        if (onError)
            onError(m_playing, m.text);
        break;
    case SoundMessage::PrepareFailed:
        if (m.id == m_prepareId && m.id != 0 && onPrepareError)
            onPrepareError(m_prepared, m.text);
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
    case SoundMessage::OutputRaised:
        m_raised = m.text;
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
    m_watch->stop();
    qCWarning(lcSound).noquote() << why;
    // Whatever was wanted is asked of a new process, a few times: a ring must not fall silent
    // because the sound stack failed once. The output's level it raised is put back by the next one.
    const bool wanted = !m_playing.isEmpty() || !m_prepared.isEmpty();
    if ((wanted || !m_raised.isEmpty()) && m_restarts < MaxRestarts) {
        ++m_restarts;
        if (running()) {
            if (!m_prepared.isEmpty())
                m_prepareId = send(SoundMessage::Prepare, m_prepared);
            if (!m_playing.isEmpty())
                sendStart();
            if (!wanted)
                m_end->start();
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
    m_watch->stop();
    // It ends once it has read this: the player is let go, the output's level put back.
    process->closeWriteChannel();
    QTimer::singleShot(FinishWaitMilliseconds * 3, process, [process] { process->kill(); });
}
