#pragma once

#include "app/SettingsRecord.h"

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

    static SettingsRecord parse(const QByteArray& content);
    static QByteArray format(const SettingsRecord& record);
};
