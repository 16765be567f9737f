#pragma once

#include <QProcess>

// A program of our own started from here, one way for all of them: its standard input and output
// are ours to speak on, what it logs goes where this program's log goes, and its end is told once,
// with why. Only the privilege step differs: a helper holding a file capability of its own (the wake
// program) gets none of this program's environment, and no no-new-privileges, which would keep the
// capability from it; any other gets the user's environment and runs with no privilege at all.
class HelperProcess : public QProcess {
    Q_OBJECT
public:
    enum class Privilege { None, OwnCapability };
    HelperProcess(Privilege privilege, QObject* parent);

signals:
    // It ran and ended: "stopped or crashed", or "ended (status 1)".
    void ended(const QString& why);
    // It never ran; why, in the system's words.
    void notStarted(const QString& why);
};
