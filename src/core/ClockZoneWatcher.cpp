#include "core/ClockZoneWatcher.h"

#include "core/LogCategories.h"

#include <QDir>
#include <QFileInfo>

#include <ctime>
#include <sys/stat.h>

namespace {
// Real zone files are a few kilobytes; the C library reads one whole.
constexpr qint64 zoneFileLimit = 1 << 20;

// Why the C library must not read this file; empty when it may. A file that is not there is the
// C library's own case: it runs on UTC by itself, without waiting.
QString whyUnusable(const QString& file)
{
    struct stat status {};
    if (file.isEmpty() || ::stat(QFile::encodeName(file).constData(), &status) != 0)
        return QString();
    if (!S_ISREG(status.st_mode))
        return ClockZoneWatcher::tr("it is not a regular file");
    if (status.st_size > zoneFileLimit)
        return ClockZoneWatcher::tr("it is larger than a zone file can be");
    return QString();
}

// What tells one version of the zone from another: where its links lead, and the file's identity.
QByteArray identity(const QString& file)
{
    struct stat status {};
    const QByteArray name = QFile::encodeName(file);
    if (::stat(name.constData(), &status) != 0)
        return QByteArray("missing");
    return QFile::encodeName(QFileInfo(file).canonicalFilePath()) + ' ' +
           QByteArray::number(qulonglong(status.st_dev)) + ' ' + QByteArray::number(qulonglong(status.st_ino)) + ' ' +
           QByteArray::number(qlonglong(status.st_size)) + ' ' + QByteArray::number(qlonglong(status.st_mtim.tv_sec)) +
           '.' + QByteArray::number(qlonglong(status.st_mtim.tv_nsec));
}
} // namespace

ClockZoneWatcher::ClockZoneWatcher(QObject* parent) : QObject(parent), m_file(zoneFile())
{
    if (m_file.isEmpty())
        return;
    m_settle.setSingleShot(true);
    m_settle.setInterval(200);
    connect(&m_settle, &QTimer::timeout, this, &ClockZoneWatcher::check);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    m_seen = identity(m_file);
    watch();
}

QString ClockZoneWatcher::zoneFile()
{
    if (!qEnvironmentVariableIsSet("TZ"))
        return QStringLiteral("/etc/localtime");
    QString tz = qEnvironmentVariable("TZ");
    if (tz.startsWith(u':'))
        tz.remove(0, 1);
    if (tz.isEmpty())
        return QString();
    if (QDir::isAbsolutePath(tz))
        return tz;
    const QString underZoneFolder =
        QDir(qEnvironmentVariable("TZDIR", QStringLiteral("/usr/share/zoneinfo"))).filePath(tz);
    // Anything there is what the C library would open, a named pipe included.
    return QFileInfo::exists(underZoneFolder) ? underZoneFolder : QString();
}

QString ClockZoneWatcher::useUtcUnlessUsable()
{
    const QString file = zoneFile();
    const QString why = whyUnusable(file);
    if (why.isEmpty())
        return QString();
    // Set before anything is said: a log line may carry the local time.
    qputenv("TZ", "UTC0");
    ::tzset();
    qCWarning(lcDesktop).noquote() << notUsed(file, why);
    return file;
}

QString ClockZoneWatcher::notUsedNotice(const QString& file)
{
    return file.isEmpty() ? QString() : notUsed(file, whyUnusable(file));
}

QString ClockZoneWatcher::notUsed(const QString& file, const QString& why)
{
    return tr("The time zone file %1 is not used: %2. The clock and the alarm run on UTC.").arg(file, why);
}

void ClockZoneWatcher::reload()
{
    // The C library reads the file again only when TZ reads differently from its last look: TZ is
    // named another way to the same file for one look, then put back. TZ is there already, so its
    // value is replaced where it stands: environ does not move under another thread's getenv, and
    // the C library keeps the old text for whoever still reads it.
    const QByteArray tz = qgetenv("TZ");
    const QString file = zoneFile();
    if (!tz.isEmpty() && !file.isEmpty()) {
        const QFileInfo info(file);
        qputenv("TZ", ":" + QFile::encodeName(info.absolutePath() + QStringLiteral("/./") + info.fileName()));
        ::tzset();
        qputenv("TZ", tz);
    }
    ::tzset();
}

void ClockZoneWatcher::watch()
{
    // A file replaced by a rename, or a link pointed elsewhere, shows only in its folder; an edit in
    // place only on the file, where the link leads.
    const QStringList paths{m_file, QFileInfo(m_file).absolutePath(), QFileInfo(m_file).canonicalFilePath()};
    for (const QString& path : paths) {
        if (!path.isEmpty() && QFileInfo::exists(path) && !m_watcher.files().contains(path) &&
            !m_watcher.directories().contains(path))
            m_watcher.addPath(path);
    }
}

void ClockZoneWatcher::check()
{
    // The watcher drops a file that was replaced; the new one is watched again.
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    watch();
    const QByteArray now = identity(m_file);
    if (now == m_seen)
        return;
    m_seen = now;
    // Read afresh, a named pipe in the file's place would stop the program: the zone read last stays.
    const QString why = whyUnusable(m_file);
    if (!why.isEmpty()) {
        const QString told =
            tr("The time zone file %1 is not read again: %2. The clock and the alarm keep the time zone they had.")
                .arg(m_file, why);
        qCWarning(lcDesktop).noquote() << told;
        emit unusable(told);
        return;
    }
    reload();
    qCDebug(lcDesktop, "the time zone in %s changed; local time follows it", qPrintable(m_file));
    emit zoneChanged();
}
