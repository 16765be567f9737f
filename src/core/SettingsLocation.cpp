#include "core/SettingsLocation.h"

#include "core/ExecutableFolder.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace {
const QString fileName = QStringLiteral("settings.txt");

// Present in any form, a dangling link included: a link's target may be made by the save.
bool isThere(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool ownedByUs(const QFileInfo& info)
{
    return info.ownerId() == uint(::geteuid());
}

// A folder the user can write, as the permission bits say: the check alone says yes to root for
// everything.
bool writableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable() && info.permissions().testFlag(QFileDevice::WriteOwner);
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

QString SettingsLocation::perUser()
{
    QString config = absoluteFromEnvironment("XDG_CONFIG_HOME");
    if (config.isEmpty()) {
        const QString home = absoluteFromEnvironment("HOME");
        const QFileInfo info(home);
        // The root folder is nobody's home, and a home of another user (sudo keeping HOME) is not ours.
        if (home.isEmpty() || home == QStringLiteral("/") || !info.isDir() || !ownedByUs(info) || !writableFolder(home))
            return QString();
        config = QDir(home).filePath(QStringLiteral(".config"));
    }
    return QDir(config).filePath(QStringLiteral("kestrune/") + fileName);
}

QString SettingsLocation::readPath()
{
    const QString beside = besideProgram();
    const QString user = perUser();
    const bool userThere = !user.isEmpty() && isThere(user);
    if (isThere(beside) && !(isSystemFolder(ExecutableFolder::path()) && userThere))
        return beside;
    return userThere ? user : QString();
}

QString SettingsLocation::savePath(const QString& readFrom)
{
    const QString beside = besideProgram();
    const QString folder = ExecutableFolder::path();
    if (!isSystemFolder(folder)) {
        // A file of its own beside the program is saved there or, when the user protected it, not
        // at all: saved elsewhere, it would come back unchanged at the next start.
        if (readFrom == beside || (readFrom.isEmpty() && isThere(beside)))
            return beside;
        if (readFrom.isEmpty() && writableFolder(folder))
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
    return info.exists() && !ownedByUs(info);
}
