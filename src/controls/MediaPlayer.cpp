#include "controls/MediaPlayer.h"

#include "controls/QtPlayerBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <cmath>

namespace {
MediaPlayer::BackendFactory factory;
}

MediaPlayer::MediaPlayer(QObject* parent) : QObject(parent) {}

MediaPlayer::~MediaPlayer() = default;

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
        m_backend = factory ? factory() : std::make_unique<QtPlayerBackend>();
        // The volume must be in place before the first sample plays.
        m_backend->setGain(gainFor(m_volume));
        m_backend->onError = [this](const QString& reason) { fail(m_fileName, reason); };
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
    if (!path.isEmpty() && QFileInfo(path).isFile())
        backend().prepare(path);
}

void MediaPlayer::setFileName(const QString& path)
{
    m_fileName = path;
    if (path.isEmpty()) {
        if (m_backend)
            m_backend->stop();
        return;
    }
    QString problem = backend().outputProblem();
    if (problem.isEmpty() && !QFileInfo(path).isFile())
        problem = QStringLiteral("the file does not exist");
    if (!problem.isEmpty()) {
        m_backend->stop();
        // Reported from the event loop, as a decoder's error would be.
        QTimer::singleShot(0, this, [this, path, problem] { fail(path, problem); });
        return;
    }
    m_backend->start(path, path == builtInTonePath());
}

void MediaPlayer::fail(const QString& path, const QString& reason)
{
    // Only the file that is still wanted matters; an earlier one may report late.
    if (path == m_fileName && !path.isEmpty())
        emit cannotPlay(path, reason);
}

QString MediaPlayer::builtInTonePath()
{
    // The player wants a file, so the tone leaves the resources once per run.
    static const QString path = [] {
        QFile resource(QStringLiteral(":/sounds/alarm-tone.mp3"));
        const QByteArray tone = resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        if (!folder.isEmpty() && QDir().mkpath(folder)) {
            const QString target = QDir(folder).filePath(QStringLiteral("alarm-tone.mp3"));
            QFile existing(target);
            if (existing.open(QIODevice::ReadOnly) && existing.readAll() == tone)
                return target;
            // Renamed into place whole: another instance may be reading the old copy.
            QSaveFile copy(target);
            if (copy.open(QIODevice::WriteOnly) && copy.write(tone) == tone.size() && copy.commit())
                return target;
        }
        // No cache folder: a file of this run's own, never a fixed name in a shared folder that
        // someone else could have put there first. Removed when the program ends.
        static QTemporaryFile temporary(QDir(QDir::tempPath()).filePath(QStringLiteral("kestrune-tone-XXXXXX.mp3")));
        if (temporary.open() && temporary.write(tone) == tone.size() && temporary.flush())
            return temporary.fileName();
        return QString();
    }();
    return path;
}
