#include "sound/AlarmPlayer.h"

#include "core/FileNameBytes.h"
#include "core/LogCategories.h"
#include "sound/GstSoundPipeline.h"

#include <QDateTime>
#include <QFile>
#include <QTimer>
#include <sys/stat.h>

AlarmPlayer::AlarmPlayer(std::unique_ptr<SoundPipeline> pipeline, std::unique_ptr<OutputVolumeGuard> guard)
    : m_pipeline(pipeline ? std::move(pipeline) : std::make_unique<GstSoundPipeline>()),
      m_guard(guard ? std::move(guard) : std::make_unique<OutputVolumeGuard>()), m_retry(new QTimer(this)),
      m_release(new QTimer(this)), m_confirm(new QTimer(this)), m_flow(new QTimer(this))
{
    m_pipeline->setFlowing([this](quint64 generation) {
        if (generation == m_generation && m_playing && onFlowing)
            onFlowing();
    });
    m_flow->setInterval(FlowCheckMilliseconds);
    connect(m_flow, &QTimer::timeout, this, [this] {
        if (m_playing && m_alive)
            m_pipeline->checkFlow(m_generation);
    });
    // Told from the sound server's thread; handed on from the owner's.
    m_guard->setRaisedCallback([this](const std::string& saved) {
        QMetaObject::invokeMethod(
            this,
            [this, saved = QString::fromStdString(saved)] {
                if (onOutputRaised)
                    onOutputRaised(saved);
            },
            Qt::QueuedConnection);
    });
    m_guard->setSecondOutputCallback([this](const std::string&) {
        QMetaObject::invokeMethod(this, &AlarmPlayer::outputsChanged, Qt::QueuedConnection);
    });
    m_pipeline->setFailed(
        [this](quint64 generation, bool output, const QString& reason) { pipelineFailed(generation, output, reason); });
    m_pipeline->setReady([this](quint64 generation) { pipelineReady(generation); });
    m_retry->setSingleShot(true);
    m_retry->setInterval(RetryMilliseconds);
    // Only while a file is wanted: once released, nothing looks for the server any more.
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (!m_alive && !m_path.isEmpty())
            build(m_playing);
    });
    m_confirm->setSingleShot(true);
    connect(m_confirm, &QTimer::timeout, this, &AlarmPlayer::callOffStartAt);
    m_release->setSingleShot(true);
    m_release->setInterval(ReleaseMilliseconds);
    connect(m_release, &QTimer::timeout, this, [this] {
        if (m_playing)
            return;
        m_alive = false;
        m_retry->stop();
        ++m_generation;
        m_pipeline->release(0);
    });
}

AlarmPlayer::~AlarmPlayer() = default;

AlarmPlayer::Identity AlarmPlayer::identify(const QString& path)
{
    struct stat info {};
    if (::stat(FileNameBytes::of(path).constData(), &info) != 0)
        return {};
    return {qint64(info.st_dev), qint64(info.st_ino), qint64(info.st_size), qint64(info.st_mtim.tv_sec),
            qint64(info.st_mtim.tv_nsec)};
}

void AlarmPlayer::build(bool play)
{
    ++m_generation;
    m_alive = true;
    m_retry->stop();
    m_identity = identify(m_path);
    m_secondOutput = QByteArray::fromStdString(m_guard->secondOutput());
    m_pipeline->setSecondOutput(m_secondOutput);
    m_pipeline->build(m_generation, FileNameBytes::of(m_path), play, m_loop);
}

void AlarmPlayer::outputsChanged()
{
    if (m_startingAt || !m_alive || m_path.isEmpty() ||
        QByteArray::fromStdString(m_guard->secondOutput()) == m_secondOutput)
        return;
    // A sound started before the server listed its outputs (a try, a sound process started at the
    // ring) starts again on the right ones; a prepared one is prepared afresh.
    qCInfo(lcSound, "the outputs to ring on changed");
    build(m_playing);
}

bool AlarmPlayer::preparedIsCurrent() const
{
    // Cut short, overwritten or replaced since it was prepared: what is at the path now is what rings.
    return m_alive && identify(m_path) == m_identity;
}

void AlarmPlayer::prepare(const QString& path)
{
    m_release->stop();
    m_guard->connectAhead();
    // Nothing chosen may touch the sound that rings now; the choice is for the next ring.
    if (m_playing) {
        m_next = path == m_path ? QString() : path;
        return;
    }
    if (path == m_path && preparedIsCurrent())
        return;
    m_path = path;
    build(false);
}

void AlarmPlayer::startAt(const QString& path, qint64 epochMilliseconds)
{
    if (epochMilliseconds == 0) {
        callOffStartAt();
        return;
    }
    if (m_playing)
        return;
    prepare(path);
    m_startingAt = true;
    m_startAtMilliseconds = epochMilliseconds;
    m_retriesAtRing = 0;
    m_pipeline->playAt(m_generation, epochMilliseconds, m_guard->outputLeadMicroseconds());
    const qint64 wait = epochMilliseconds - QDateTime::currentMSecsSinceEpoch();
    m_confirm->start(int(qBound(qint64(0), wait, qint64(ConfirmMilliseconds))) + ConfirmMilliseconds);
}

void AlarmPlayer::callOffStartAt()
{
    m_confirm->stop();
    if (!m_startingAt)
        return;
    m_startingAt = false;
    m_pipeline->endWait(false);
    // Already heard, perhaps: silent again and rewound, as after a ring.
    if (!m_playing && m_alive)
        m_pipeline->pause(m_generation);
}

void AlarmPlayer::start(const QString& path, bool loop)
{
    // A sound started ahead for this file is this ring's; any other is called off.
    if (m_startingAt) {
        m_startingAt = false;
        m_confirm->stop();
        m_pipeline->endWait(path == m_path && preparedIsCurrent());
    }
    m_playing = true;
    m_loop = loop;
    m_retriesAtRing = 0;
    m_release->stop();
    if (path == m_path && preparedIsCurrent()) {
        m_pipeline->play(m_generation, loop);
    } else {
        m_path = path;
        build(true);
    }
    // After the sound is on its way: the output's level is no reason to start late. A sound tried
    // out is heard as the user set the output.
    if (m_raises)
        m_guard->engage();
    m_flow->start();
}

void AlarmPlayer::stop()
{
    callOffStartAt();
    if (!m_playing)
        return;
    m_playing = false;
    m_flow->stop();
    m_guard->release();
    m_release->start();
    // Paused and rewound (or the file chosen meanwhile prepared) once the caller's handler is over,
    // so the next ring's first buffers pass the quiet volume that the caller sets right after stopping.
    QTimer::singleShot(0, this, [this, g = m_generation] {
        if (m_playing || g != m_generation)
            return;
        if (!m_next.isEmpty()) {
            m_path = std::exchange(m_next, QString());
            build(false);
        } else if (m_alive) {
            m_pipeline->pause(g);
        }
    });
}

void AlarmPlayer::release()
{
    callOffStartAt();
    if (m_playing)
        m_guard->release();
    m_playing = false;
    m_flow->stop();
    m_path.clear();
    m_next.clear();
    m_alive = false;
    m_retry->stop();
    m_release->stop();
    ++m_generation;
    m_pipeline->release(0);
}

void AlarmPlayer::setGain(double linear)
{
    m_pipeline->setGain(linear);
}

QString AlarmPlayer::outputProblem() const
{
    return m_outputProblem;
}

void AlarmPlayer::pipelineReady(quint64 generation)
{
    if (generation != m_generation || m_outputProblem.isEmpty())
        return;
    qCInfo(lcSound, "the sound output is back");
    m_outputProblem.clear();
    if (onOutputBack)
        onOutputBack();
}

void AlarmPlayer::pipelineFailed(quint64 generation, bool output, const QString& reason)
{
    if (generation != m_generation || !m_alive) {
        qCDebug(lcSound) << "a report for a pipeline since replaced:" << reason;
        return;
    }
    m_alive = false;
    m_pipeline->release(generation);
    if (output) {
        // The sound server went away or is restarting: at a ring, or just ahead of one, build again
        // at once (it may be back already: a prepared stream notices a lost server only when it
        // plays); otherwise when it may be back.
        if ((m_playing || m_startingAt) && m_retriesAtRing < 2) {
            ++m_retriesAtRing;
            build(m_playing);
            if (!m_playing)
                m_pipeline->playAt(m_generation, m_startAtMilliseconds, m_guard->outputLeadMicroseconds());
            return;
        }
        const bool lost = m_outputProblem.isEmpty();
        m_outputProblem = reason;
        m_retry->start();
        if (lost && onOutputLost)
            onOutputLost();
    }
    if (m_playing) {
        if (onError)
            onError(m_path, reason, output ? Fault::Output : Fault::File);
    } else if (!output && onPrepareError) {
        onPrepareError(m_path, reason, Fault::File);
    } else {
        qCDebug(lcSound) << "not ringing; kept quiet:" << reason;
    }
}

void AlarmPlayer::adoptRaisedOutput(const QString& saved)
{
    m_guard->adopt(saved.toStdString());
}
