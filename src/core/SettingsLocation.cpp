#include "core/SettingsLocation.h"

#include "core/ExecutableFolder.h"
#include "core/LogCategories.h"
#include "core/PathTrust.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString fileName = QStringLiteral("settings.txt");

// Present in any form, a dangling link included: a link's target may be made by the save.
bool isThere(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// A folder the user can write, as the permission bits say: the check alone says yes to root for
// everything.
bool writableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable() && info.permissions().testFlag(QFileDevice::WriteOwner);
}

// Put there by the system for every user: a plain file of root's in a folder only root writes.
bool isSystemPreset(const QString& file)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(file).constData(), &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_uid == 0 && QFileInfo(QFileInfo(file).absolutePath()).ownerId() == 0 &&
           !PathTrust::writableByOthers(QFileInfo(file).absolutePath());
}

QString absoluteFromEnvironment(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    // The XDG rules ignore a relative path: it would depend on the folder the program starts in.
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}
} // namespace

QString SettingsLocation::besideProgram()
{
    return QDir(ExecutableFolder::path()).filePath(fileName);
}

QString SettingsLocation::configHome()
{
    const QString config = absoluteFromEnvironment("XDG_CONFIG_HOME");
    if (!config.isEmpty())
        return config;
    const QString home = absoluteFromEnvironment("HOME");
    const QFileInfo info(home);
    // The root folder is nobody's home, and a home of another user (sudo keeping HOME) is not ours.
    if (home.isEmpty() || home == QStringLiteral("/") || !info.isDir() || !PathTrust::ownedByUser(home) ||
        !writableFolder(home))
        return QString();
    return QDir(home).filePath(QStringLiteral(".config"));
}

QString SettingsLocation::perUser()
{
    const QString config = configHome();
    return config.isEmpty() ? QString() : QDir(config).filePath(QStringLiteral("kestrune/") + fileName);
}

QString SettingsLocation::readPath()
{
    const QString folder = ExecutableFolder::path();
    const QString beside = besideProgram();
    const QString user = perUser();
    const bool userThere = !user.isEmpty() && isThere(user);
    if (!isSystemFolder(folder)) {
        QString why;
        if (isThere(beside)) {
            if (!ownFile(beside, &why).isEmpty())
                return beside;
            qCWarning(lcSettings).noquote()
                << QStringLiteral("%1 is not read: %2; the settings live in %3").arg(beside, why, user);
        } else if (writableFolder(folder)) {
            // A copy of its own starts afresh rather than from another copy's settings.
            return QString();
        }
    } else if (!userThere && isThere(beside) && isSystemPreset(beside)) {
        return beside;
    }
    return userThere ? user : QString();
}

QString SettingsLocation::savePath()
{
    const QString beside = besideProgram();
    const QString folder = ExecutableFolder::path();
    if (!isSystemFolder(folder)) {
        // A file of its own beside the program is saved there or, when the user protected it, not
        // at all: saved elsewhere, it would come back unchanged at the next start.
        if (isThere(beside))
            return ownFile(beside).isEmpty() ? perUser() : beside;
        if (writableFolder(folder))
            return beside;
    }
    return perUser();
}

bool SettingsLocation::isSystemFolder(const QString& folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    static const QStringList systemTrees = {u"/usr"_qs,   u"/opt"_qs,   u"/bin"_qs,    u"/sbin"_qs, u"/lib"_qs,
                                            u"/lib32"_qs, u"/lib64"_qs, u"/libx32"_qs, u"/etc"_qs,  u"/boot"_qs};
    if (path == QStringLiteral("/"))
        return true;
    for (const QString& tree : systemTrees) {
        if (path == tree || path.startsWith(tree + u'/'))
            return true;
    }
    return info.exists() && (!PathTrust::ownedByUser(path) || PathTrust::writableByOthers(path));
}

QString SettingsLocation::ownFile(const QString& path, QString* why)
{
    QString resolved;
    const QString reason = PathTrust::whyUntrusted(path, &resolved, PathTrust::Missing::Allowed);
    if (why)
        *why = reason;
    return reason.isEmpty() ? resolved : QString();
}
