#pragma once

#include <QString>
#include <optional>

// How a text came in from the file, so that it goes back as the same bytes: UTF-8 when its bytes
// are valid UTF-8, else each byte one character (Latin-1), as an older program may have written a
// file name in its code page.
enum class SettingsEncoding { Utf8, Latin1 };

// The five stored values. A field the reader could not convert is empty and keeps the window's
// starting value.
struct SettingsRecord {
    std::optional<QString> soundPath;
    std::optional<QString> alarmTime;
    std::optional<int> snoozeMinutes;
    std::optional<qint32> foreColor;
    std::optional<qint32> backColor;

    SettingsEncoding soundPathEncoding = SettingsEncoding::Utf8;
    SettingsEncoding alarmTimeEncoding = SettingsEncoding::Utf8;
};
