#include "core/ProgramFile.h"

#include "core/ExecutableFolder.h"
#include "core/PathTrust.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString ProgramFile::privateFolder()
{
    // Installed means where the installation put it, not a folder that happens to be called bin.
    const QString folder = QFileInfo(ExecutableFolder::path()).canonicalFilePath();
    const QString installed = QFileInfo(QStringLiteral(KESTRUNE_INSTALL_BINDIR)).canonicalFilePath();
    return !folder.isEmpty() && folder == installed ? QStringLiteral(KESTRUNE_PRIVATE_DIR) : QString();
}

QString ProgramFile::find(const QString& name, QString* why)
{
    QStringList places{QDir(ExecutableFolder::path()).filePath(name)};
    if (const QString folder = privateFolder(); !folder.isEmpty())
        places << QDir(folder).filePath(name);
    QStringList refused;
    for (const QString& place : places) {
        if (!QFileInfo::exists(place) && !QFileInfo(place).isSymLink()) {
            refused << tr("%1 is not there").arg(place);
            continue;
        }
        QString resolved;
        QString reason = PathTrust::whyUntrusted(place, &resolved);
        if (reason.isEmpty() && !(QFileInfo(resolved).isFile() && QFileInfo(resolved).isExecutable()))
            reason = tr("%1 is not a program").arg(resolved);
        if (reason.isEmpty())
            return resolved;
        refused << reason;
    }
    if (why)
        *why = refused.join(QStringLiteral("; "));
    return QString();
}
