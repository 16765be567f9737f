#include "controls/MediaPlayer.h"

#include "core/FileNameBytes.h"
#include "core/PathTrust.h"
#include "platform/SystemSound.h"
#include "soundclient/SoundProcess.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <cmath>
#include <list>
#include <sys/stat.h>

namespace {
MediaPlayer::BackendFactory factory;

// Only a regular file is handed on: a FIFO or a device could hold the player forever. Looked up by
// the bytes the name stands for on disk, which need not be UTF-8.
bool isRegularFile(const QString& path)
{
    struct stat info {};
    return ::stat(FileNameBytes::of(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

QString notARegularFile()
{
    return MediaPlayer::tr("the file does not exist or is not a regular file");
}
} // namespace

MediaPlayer::MediaPlayer(QObject* parent) : QObject(parent) {}

MediaPlayer::~MediaPlayer()
{
    if (m_desktop)
        SystemSound::setDesktop(nullptr);
}

void MediaPlayer::setBackendFactory(BackendFactory newFactory)
{
    factory = std::move(newFactory);
}

double MediaPlayer::gainFor(int hundredthsOfDb)
{
    return std::pow(10.0, qBound(-10000, hundredthsOfDb, 0) / 2000.0);
}

PlayerBackend& MediaPlayer::backend()
{
    if (!m_backend) {
        if (factory) {
            m_backend = factory();
        } else {
            // One process plays both the alarm's sound and the desktop's alert.
            auto process = std::make_unique<SoundProcess>();
            SystemSound::setDesktop(process.get());
            m_desktop = process.get();
            m_backend = std::move(process);
        }
        // The volume must be in place before the first sample plays.
        m_backend->setGain(gainFor(m_volume));
        m_backend->onError = [this](const QString& path, const QString& reason, PlayerBackend::Fault fault) {
            fail(path, m_serial, reason, fault);
        };
        m_backend->onPrepareError = [this](const QString& path, const QString& reason, PlayerBackend::Fault fault) {
            if (path == m_prepared)
                emit cannotPrepare(path, reason, fault);
        };
        m_backend->onOutputLost = [this] { emit outputLost(); };
        m_backend->onOutputBack = [this] { emit outputReturned(); };
    }
    return *m_backend;
}

void MediaPlayer::setVolume(int hundredthsOfDb)
{
    m_volume = hundredthsOfDb;
    if (m_backend)
        m_backend->setGain(gainFor(m_volume));
}

void MediaPlayer::prepare(const QString& path)
{
    // The desktop's alert rings with the sound: reach its server now, not at the ring.
    backend();
    SystemSound::instance().prepare();
    if (path.isEmpty())
        return;
    m_prepared = path;
    if (isRegularFile(path)) {
        backend().prepare(path);
        return;
    }
    // What will ring instead is the tone: have that ready, and the output reached, now.
    backend().prepare(builtInTonePath());
    QTimer::singleShot(0, this, [this, path] {
        if (path == m_prepared)
            emit cannotPrepare(path, notARegularFile(), PlayerBackend::Fault::File);
    });
}

void MediaPlayer::release()
{
    m_prepared.clear();
    if (!m_backend)
        return;
    m_backend->release();
}

void MediaPlayer::rest()
{
    // A problem found later with the prepared file is still this arming's.
    if (m_backend && m_fileName.isEmpty())
        m_backend->release();
}

QString MediaPlayer::outputProblem() const
{
    return m_backend ? m_backend->outputProblem() : QString();
}

void MediaPlayer::startAt(const QString& path, const QDateTime& when)
{
    if (!when.isValid()) {
        if (m_backend)
            m_backend->startAt(QString(), 0);
        return;
    }
    if (!path.isEmpty() && isRegularFile(path) && backend().outputProblem().isEmpty())
        m_backend->startAt(path, when.toMSecsSinceEpoch());
}

void MediaPlayer::setFileName(const QString& path)
{
    m_fileName = path;
    ++m_serial;
    if (path.isEmpty()) {
        if (m_backend)
            m_backend->stop();
        return;
    }
    QString problem = backend().outputProblem();
    PlayerBackend::Fault fault = PlayerBackend::Fault::Output;
    if (problem.isEmpty() && !isRegularFile(path)) {
        problem = notARegularFile();
        fault = PlayerBackend::Fault::File;
    }
    if (!problem.isEmpty()) {
        m_backend->stop();
        // Reported from the event loop, as a decoder's error would be.
        QTimer::singleShot(0, this,
                           [this, path, serial = m_serial, problem, fault] { fail(path, serial, problem, fault); });
        return;
    }
    // Every sound plays again from its start when it ends, until it is stopped: a short file
    // must not leave the user with one quiet second and then silence.
    m_backend->setRaisesOutput(m_raisesOutput);
    m_backend->start(path, true);
}

void MediaPlayer::fail(const QString& path, quint64 serial, const QString& reason, PlayerBackend::Fault fault)
{
    // Only the file that is still wanted, put since the failing start, matters: a report for a
    // file stopped or replaced since then is stale.
    if (path == m_fileName && serial == m_serial && !path.isEmpty())
        emit cannotPlay(path, reason, fault);
}

namespace {
// A player wants a file, so a tone leaves the resources once per run.
QString resourceFile(const QString& name)
{
    QFile resource(QStringLiteral(":/sounds/") + name);
    const QByteArray tone = resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                               .filePath(QStringLiteral("kestrune"));
    if (!folder.isEmpty() && PathTrust::makeFolders(folder)) {
        const QString target = QDir(folder).filePath(name);
        QFile existing(target);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == tone)
            return target;
        // Renamed into place whole: another instance may be reading the old copy.
        QSaveFile copy(target);
        if (copy.open(QIODevice::WriteOnly) && PathTrust::makePrivate(copy.handle(), 0600) &&
            copy.write(tone) == tone.size() && copy.commit())
            return target;
    }
    // No cache folder: a file of this run's own, never a fixed name in a shared folder that
    // someone else could have put there first. Removed when the program ends.
    static std::list<QTemporaryFile> temporaries;
    QTemporaryFile& temporary =
        temporaries.emplace_back(QDir(QDir::tempPath()).filePath(QStringLiteral("kestrune-XXXXXX-") + name));
    if (temporary.open() && temporary.write(tone) == tone.size() && temporary.flush())
        return temporary.fileName();
    return QString();
}
} // namespace

QString MediaPlayer::builtInTonePath()
{
    static const QString path = resourceFile(QStringLiteral("alarm-tone.mp3"));
    return path;
}

QString MediaPlayer::builtInTonePhrasePath()
{
    static const QString path = resourceFile(QStringLiteral("alarm-phrase.wav"));
    return path;
}
