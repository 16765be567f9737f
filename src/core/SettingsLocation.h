#pragma once

#include <QString>

// Where settings.txt is looked for and where it goes. A copy unpacked into a folder of the user's
// own keeps its settings beside itself; a program installed into a system folder, or into a
// folder of another user, never writes there, not even as root: its settings live in the user's
// own configuration folder.
class SettingsLocation {
public:
    // settings.txt in the program's folder.
    static QString besideProgram();
    // $XDG_CONFIG_HOME/kestrune/settings.txt, else ~/.config/kestrune/settings.txt; empty when
    // there is no usable home folder, rather than a path made up from nothing such as /.config.
    static QString perUser();

    // The file to read: beside the program first, then the per-user one; the first that is there
    // (of any kind: the reader decides what it can read). A per-user file wins over one in a
    // program folder that is never written, since the user's saves went there. Empty when neither
    // is there.
    static QString readPath();
    // Where a save goes, given what readPath() gave. Empty when there is nowhere to save.
    static QString savePath(const QString& readFrom);

    // Under /usr, /opt, /bin, /sbin and the like, or not owned by the user running the program.
    static bool isSystemFolder(const QString& folder);
};
