#include "core/PathTrust.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {
bool trustedOwner(const struct stat& status)
{
    return status.st_uid == 0 || status.st_uid == ::geteuid();
}

bool othersMayWrite(const struct stat& status)
{
    return (status.st_mode & S_IWOTH) || ((status.st_mode & S_IWGRP) && status.st_gid != ::getegid());
}

bool lstatOf(const QString& path, struct stat& status)
{
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}
} // namespace

bool PathTrust::writableByOthers(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return othersMayWrite(status);
}

bool PathTrust::ownedByUser(const QString& path)
{
    return QFileInfo(path).ownerId() == uint(::geteuid());
}

QString PathTrust::whyUntrusted(const QString& path, QString* resolved)
{
    // Link by link, so that no step is taken through a link someone else could point anywhere.
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat status {};
    for (int hop = 0;; ++hop) {
        if (hop == 16)
            return QStringLiteral("%1 is a chain of too many links").arg(path);
        if (!lstatOf(current, status))
            return QStringLiteral("%1 is not there").arg(current);
        if (!trustedOwner(status))
            return QStringLiteral("%1 belongs to another user").arg(current);
        if (!S_ISLNK(status.st_mode))
            break;
        const QString target = QFileInfo(current).symLinkTarget();
        if (target.isEmpty())
            return QStringLiteral("%1 is a link that leads nowhere").arg(current);
        current = QDir::cleanPath(target);
    }
    if (othersMayWrite(status))
        return QStringLiteral("others can write to %1").arg(current);
    // The folders as they really are: a link among them is followed once, here, and never again.
    const QString folder = QFileInfo(current).canonicalPath();
    if (folder.isEmpty())
        return QStringLiteral("the folder of %1 cannot be read").arg(current);
    bool own = true; // the file's own folder: sticky is no excuse, others could add beside it
    for (QString dir = folder;; dir = QFileInfo(dir).path()) {
        if (!lstatOf(dir, status))
            return QStringLiteral("%1 cannot be read").arg(dir);
        if (!trustedOwner(status))
            return QStringLiteral("the folder %1 belongs to another user").arg(dir);
        if (othersMayWrite(status) && (own || !(status.st_mode & S_ISVTX)))
            return QStringLiteral("others can write to the folder %1").arg(dir);
        own = false;
        if (dir == QStringLiteral("/"))
            break;
    }
    if (resolved)
        *resolved = QDir(folder).filePath(QFileInfo(current).fileName());
    return QString();
}
