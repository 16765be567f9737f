#pragma once

#include "core/SettingsRecord.h"

#include <QByteArray>
#include <QString>
#include <optional>

// settings.txt: one line of five comma-separated values beside the program.
class SettingsFile {
public:
    // Where the file is read and written.
    static QString path();
    // std::nullopt when there is no file (or it cannot be read: said on standard error).
    static std::optional<SettingsRecord> read();
    // False when it could not be saved: said on standard error, and the old file stays whole.
    static bool write(const SettingsRecord& record);

    // Every field that converts is set; the others, and those the file does not have, stay empty.
    static SettingsRecord parse(const QByteArray& content);
    // The one line, CR LF included. An empty number is written as an empty field.
    static QByteArray format(const SettingsRecord& record);
};
