#pragma once

#include <QString>

// Who besides the user running the program can change a file: the one rule for everything the
// program reads, runs or loads as its own, its settings and its program files alike. Root and the
// user are trusted; anyone else who owns a file, a link or a folder on the way, or may write to one,
// could have put something else there.
class PathTrust {
public:
    // Empty when only root and the user can change what path names: every link on the way and the
    // file belong to one of them, no one else may write to the file or its folder, and every folder
    // above belongs to one of them and is not writable by others unless sticky (whose other
    // entries cannot replace ours). Otherwise why not. resolved gets the path with every link
    // followed, which is what should then be used, so a link cannot be turned elsewhere later.
    static QString whyUntrusted(const QString& path, QString* resolved = nullptr);

    // Others may add, rename or replace files in it: everyone, or a group that is not the user's own.
    static bool writableByOthers(const QString& path);
    static bool ownedByUser(const QString& path);
};
