#pragma once

#include <QCoreApplication>
#include <QString>

#include <sys/types.h>

// Who besides the user running the program can change a file: the one rule for everything the
// program reads, runs or loads as its own, its settings and its program files alike. Root and the
// user are trusted; anyone else who owns a file, a link or a folder on the way, or may write to one
// (by its mode or by an access control list), could have put something else there.
class PathTrust {
    Q_DECLARE_TR_FUNCTIONS(PathTrust)

public:
    // A path that is not there (yet): a program file must be; a settings file is made by the save.
    enum class Missing { Refused, Allowed };

    // Empty when only root and the user can change what path names. The path is walked name by
    // name from the root folder, as the kernel walks it: every folder, every link (followed only
    // when it is root's or the user's) and the file belong to one of them; no one else may write
    // to the file or its folder; every other folder on the way is closed to others or sticky
    // (whose other entries cannot replace ours). Otherwise why not. resolved gets the path with
    // every link followed, which is what should then be used, so a link cannot be turned elsewhere
    // later.
    static QString whyUntrusted(const QString& path, QString* resolved = nullptr, Missing missing = Missing::Refused);

    // Others may add, rename or replace files in it, or change it: everyone, another user, or a
    // group that is not the user's alone.
    static bool writableByOthers(const QString& path);
    static bool ownedByUser(const QString& path);
    // What the program makes is the user's alone from birth, its mode bits the whole truth: a folder's
    // default access control list hands a new file or folder entries that could let another user in,
    // so the inherited lists are dropped and the mode set. fd: the new file or folder, open. False
    // with errno set when it cannot be made so.
    static bool makePrivate(int fd, mode_t mode);
    // A folder and the folders above it that are missing, each made private (0700) from birth.
    static bool makeFolders(const QString& path);

    // No account but the user (and root) is in the group: none listed as its member in /etc/group,
    // none with it as the primary group in /etc/passwd. A group not found there is not private.
    static bool privateGroup(gid_t group);
};
