#pragma once

#include <QString>
#include <optional>

// The five stored values. A field the reader could not convert is empty and keeps the window's
// starting value.
struct SettingsRecord {
    std::optional<QString> soundPath;
    std::optional<QString> alarmTime;
    std::optional<int> snoozeMinutes;
    std::optional<qint32> foreColor;
    std::optional<qint32> backColor;
};
