#include "soundclient/SoundProcess.h"

#include "core/LogCategories.h"
#include "core/ProgramFile.h"
#include "platform/HelperProcess.h"

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
            m_programProblem = tr("no sound program can be used (%1)").arg(why);
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

void SoundProcess::setLimits(int watchMilliseconds, int endMilliseconds)
{
    m_watch->setInterval(watchMilliseconds);
    m_end->setInterval(endMilliseconds);
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
    // A new process knows nothing yet: what the last one found is its own to find again.
    m_problem.clear();
    // It decodes the user's files: it runs with no privilege, whoever started the program.
    auto* process = new HelperProcess(HelperProcess::Privilege::None, this);
    m_process = process;
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] { readEvents(process); });
    connect(process, &HelperProcess::ended, this,
            [this, process](const QString& why) { ended(process, tr("the sound process %1").arg(why)); });
    connect(process, &HelperProcess::notStarted, this, [this, process](const QString& why) {
        ended(process, tr("the sound program %1 cannot be started: %2").arg(m_program, why));
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
    if (running())
        m_prepareId = send(SoundMessage::Prepare, path);
}

void SoundProcess::start(const QString& path, bool loop)
{
    m_end->stop();
    m_playing = path;
    m_loop = loop;
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

void SoundProcess::readEvents(QProcess* process)
{
    // Taken out while its messages are handled, which may start another process.
    QByteArray buffer = m_buffers.take(process) + process->readAllStandardOutput();
    // A handler may end the process; what it said after that is still read, and weighed as an ended one's.
    if (!SoundMessage::takeAll(buffer, [this, process](const SoundMessage& m) {
            handle(process, m);
            return true;
        })) {
        qCWarning(lcSound, "the sound process said something that is not a message; it is replaced");
        // Nothing after the broken bytes can be trusted, neither now nor when it has ended.
        process->closeReadChannel(QProcess::StandardOutput);
        process->kill();
        return;
    }
    if (!buffer.isEmpty())
        m_buffers.insert(process, buffer);
}

void SoundProcess::handle(QProcess* from, const SoundMessage& m)
{
    // A process being replaced or ended still says whether it put the output's level back; nothing
    // else it says is about a sound now wanted.
    if (from != m_process && m.kind != SoundMessage::OutputRaised)
        return;
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
        // Answered: the owner's fallbacks take it from here.
        m_watch->stop();
        if (onError)
            onError(m_playing, m.text, m_problem.isEmpty() ? Fault::File : Fault::Output);
        break;
    case SoundMessage::PrepareFailed:
        if (m.id == m_prepareId && m.id != 0 && onPrepareError)
            onPrepareError(m_prepared, m.text, m_problem.isEmpty() ? Fault::File : Fault::Output);
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
        // Also from a process that ends: once it put the level back, no later process owes it.
        m_raised = m.text;
        break;
    default:
        qCDebug(lcSound, "a message meant for the sound process came back");
        break;
    }
}

void SoundProcess::ended(QProcess* process, const QString& why)
{
    // Its last words count: a level it put back as it ended is owed to nobody any more.
    readEvents(process);
    m_buffers.remove(process);
    process->deleteLater();
    if (process != m_process)
        return; // one asked to end
    m_process = nullptr;
    m_watch->stop();
    qCWarning(lcSound).noquote() << why;
    // What it played may be what ended it: never handed to the next process by itself. The owner
    // decides what plays instead, and its request starts a new process.
    if (!m_playing.isEmpty()) {
        const QString failed = std::exchange(m_playing, QString());
        m_startId = 0;
        if (m_prepared == failed)
            m_prepared.clear();
        if (onError)
            onError(failed, why, Fault::Process);
        if (m_process)
            return;
    }
    // A sound only held ready, or a level owed to the user: a new process takes it over, a few
    // times a minute, so a decoder that dies at once does not spin.
    const bool wanted = !m_prepared.isEmpty();
    if (!wanted && m_raised.isEmpty())
        return;
    if (m_replacements.take() && running()) {
        if (wanted)
            m_prepareId = send(SoundMessage::Prepare, m_prepared);
        else
            m_end->start();
        return;
    }
    if (!wanted)
        return;
    qCWarning(lcSound, "the sound process keeps failing; it is started again at the next request");
    const QString failed = std::exchange(m_prepared, QString());
    m_prepareId = 0;
    if (onPrepareError)
        onPrepareError(failed, why, Fault::Process);
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
