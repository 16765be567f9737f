#include "alarm/SoundFolder.h"

#include "core/ExecutableFolder.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool SoundFolder::settingsBesideProgram()
{
    const QString settings = SettingsLocation::savePath(SettingsLocation::readPath());
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
