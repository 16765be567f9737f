#pragma once

#include <QByteArray>
#include <QString>

// The bytes a path names on disk. A name that is not valid UTF-8 (written by another program, or on
// a Latin-1 disk) reaches us as one character a byte, as the settings file reads it; QFile::encodeName
// would turn that text into other bytes and so name another file, or none.
class FileNameBytes {
public:
    // The UTF-8 name when it exists, else the one-byte-a-character name when that exists, else the
    // UTF-8 name.
    static QByteArray of(const QString& path);
};
