#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// The user's autostart entry: while it exists the desktop starts the program at login, in the
// notification area. The entry itself is where that choice is kept. Only an entry that both GIO
// (GNOME, and the desktops that start entries through it) and systemd's autostart generator start
// as exactly this program with TrayOption is ever written.
class AutostartEntry {
    Q_DECLARE_TR_FUNCTIONS(AutostartEntry)

public:
    // autostart/org.kestrune.Kestrune.desktop in the user's configuration folder, as the settings
    // find it; empty when there is none (no usable home, or another user's).
    static QString path();
    // The running program's file, the bytes of its name as the system has them.
    static QByteArray runningProgram();
    // The entry that starts program, or empty with why set: a name that is not UTF-8 text, or that
    // holds a character one of the two would take otherwise (%, \, ", `, $ or a control character).
    static QByteArray text(const QByteArray& program, QString* why = nullptr);
    static bool exists();
    // Empty when done; otherwise why not, a sentence naming the place.
    static QString write(const QByteArray& program);
    static QString remove();

    // What the entry adds to the command: start in the notification area, and offer to set the alarm.
    static constexpr const char* TrayOption = "--tray";
};
