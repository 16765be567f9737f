#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for, read before anything else starts, so that a script's --status or
// --off needs neither a display nor a second window. Qt's own options (-platform, -reverse, -style and
// the like) are let through to Qt; field codes a desktop launcher left in its command (%u, %F) are
// ignored; any other option or argument is refused.
class CommandLine {
public:
    enum class Action {
        Start,   // the window on screen
        Tray,    // in the notification area, as a start at login
        Set,     // arm with the time given
        Off,     // disarm
        Sleep,   // snooze the ringing alarm
        Status,  // print the alarm's state
        Repeat,  // change the days the alarm repeats on
        Skip,    // leave the next ring of a repeating alarm silent
        Unskip,  // take the skip back
        Help,    // print the options
        Version, // print the version
        Refused, // print why, and end with a failure
    };

    static CommandLine parse(const QStringList& arguments);

    Action action() const { return m_action; }
    // The time given with --set.
    const QString& time() const { return m_time; }
    // The days given with --repeat, in its words; empty when not given.
    const QString& repeat() const { return m_repeat; }
    // The text to print: the help, the version, or why the command line was refused.
    const QString& text() const { return m_text; }
    // Asks the running copy, and is answered in the terminal, not in the window.
    bool forRunningCopy() const;

private:
    Action m_action = Action::Start;
    QString m_time;
    QString m_repeat;
    QString m_text;
};
