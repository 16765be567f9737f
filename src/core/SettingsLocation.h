#pragma once

#include <QString>

// Where settings.txt is looked for and where it goes. A copy unpacked into a folder of the user's
// own keeps its settings beside itself; a program installed into a system folder, a folder of
// another user or one that others can write never writes there, not even as root: its settings
// live in the user's own configuration folder. Nothing another user owns is read as ours, followed
// or written.
class SettingsLocation {
public:
    // settings.txt in the program's folder.
    static QString besideProgram();
    // The user's configuration folder, $XDG_CONFIG_HOME, else ~/.config; empty when there is no usable
    // home folder (unset, the root folder, not writable, or another user's, as sudo keeping HOME gives).
    static QString configHome();
    // $XDG_CONFIG_HOME/kestrune/settings.txt, else ~/.config/kestrune/settings.txt; empty when
    // there is no usable home folder, rather than a path made up from nothing such as /.config.
    static QString perUser();

    // The file to read. A program in a folder of the user's own reads only the file beside it; an
    // installed one reads the per-user file, or while there is none a file that the system put
    // beside it. Empty when there is none.
    static QString readPath();
    // Where a save goes. Empty when there is nowhere to save.
    static QString savePath();

    // Under /usr, /opt, /bin, /sbin and the like, not owned by the user running the program, or
    // writable by others (a shared temporary folder): never written, its files never taken as ours.
    static bool isSystemFolder(const QString& folder);
    // The file that path stands for: the path itself, or where its links lead, when PathTrust trusts
    // it (a file not there yet is made by the save). Empty, with why set, when it does not.
    static QString ownFile(const QString& path, QString* why = nullptr);
};
