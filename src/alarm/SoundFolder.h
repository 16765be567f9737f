#pragma once

#include <QString>

// Where the sound dialog opens: the program's folder when the settings live beside the program (a
// portable copy keeps its sounds there too), else the user's music folder, else home.
class SoundFolder {
public:
    static QString initial();
    // Whether the settings file is kept in the program's own folder.
    static bool settingsBesideProgram();
};
