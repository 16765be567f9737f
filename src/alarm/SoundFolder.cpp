#include "alarm/SoundFolder.h"

#include "core/ExecutableFolder.h"
#include "core/SettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool SoundFolder::settingsBesideProgram()
{
    // Where a save would go. Nothing is read: a file beside the program that is not ours would be
    // warned about again at every opening of the dialog.
    const QString settings = SettingsFile().path();
    return !settings.isEmpty() && QDir(QFileInfo(settings).absolutePath()) == QDir(ExecutableFolder::path());
}

QString SoundFolder::initial()
{
    if (settingsBesideProgram())
        return ExecutableFolder::path();
    // An installed program's folder is /usr/bin, where no sound is.
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return music;
    return QDir::homePath();
}
