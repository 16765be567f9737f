#pragma once

#include "core/RepeatFile.h"

#include <QObject>
#include <QTimer>

class AlarmCommands;
class DesktopNotifier;
class QWidget;

// Keeps the repeating alarm across runs in repeat.txt: the days and the skip are read at start, and
// a repeating alarm that was set when the program ended (by Exit, the session, a crash) is set again,
// with a notification that says so; a ring that fell while no copy ran rings now within the catch-up
// minutes and is missed after them. Every change is saved soon after it is made, a failed save tried
// again. A file that names another alarm time than the settings is not applied, and the user is told.
class RepeatKeeper : public QObject {
    Q_OBJECT
public:
    RepeatKeeper(AlarmCommands& commands, QWidget& window, DesktopNotifier& notifier);

    // After the settings are applied: the days and the skip, when they belong to the alarm time.
    void load();
    // At start (not for --set): the repeating alarm set again when it was set at the end.
    void resume();
    // At the end: saved now, whatever the wait.
    void saveNow();

private:
    RepeatFile::Record current() const;
    void saveSoon();
    void tell(const QString& text);

    AlarmCommands& m_commands;
    QWidget& m_window;
    DesktopNotifier& m_notifier;
    RepeatFile m_file;
    std::optional<RepeatFile::Record> m_read;
    RepeatFile::Record m_saved;
    bool m_fileThere = false; // a file was read or saved: it is kept up to date even for "Once"
    bool m_applied = false;   // the file's days are in force
    QTimer m_saveTimer;
    QString m_told; // the failed save last said in the log
};
