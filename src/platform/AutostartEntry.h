#pragma once

#include <QString>

// The user's autostart entry: while it exists the desktop starts the program at login, in the
// notification area. The entry itself is where that choice is kept.
class AutostartEntry {
public:
    // $XDG_CONFIG_HOME/autostart/org.kestrune.Kestrune.desktop, under ~/.config when that is unset
    // or not an absolute path.
    static QString path();
    // The entry that starts this program file.
    static QString text(const QString& program);
    static bool exists();
    // Empty when done; otherwise why not.
    static QString write(const QString& program);
    static QString remove();

    // What the entry adds to the command: start in the notification area, and offer to set the alarm.
    static constexpr const char* TrayOption = "--tray";
};
