#pragma once

#include <QString>

// The folder that holds the running program, as the settings file and the sound dialog use it.
class ExecutableFolder {
public:
    static QString path();
    // Tests point it elsewhere; an empty string restores the real folder.
    static void setOverride(const QString& folder);
};
