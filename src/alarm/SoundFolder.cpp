#include "alarm/SoundFolder.h"

#include "core/ExecutableFolder.h"
#include "core/SettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool SoundFolder::settingsBesideProgram()
{
    const QString settingsFolder = QFileInfo(SettingsFile::path()).absolutePath();
    return QDir(settingsFolder) == QDir(ExecutableFolder::path());
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
