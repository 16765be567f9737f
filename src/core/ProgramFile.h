#pragma once

#include <QCoreApplication>
#include <QString>

// The program's other executables (the sound program, the wake program). Looked for beside the
// program first (the build tree, a copy that keeps them together), then, for an installed program
// only, in its private folder; never by climbing out of a copy's folder. Each is used only when
// PathTrust trusts it.
class ProgramFile {
    Q_DECLARE_TR_FUNCTIONS(ProgramFile)

public:
    // The path to run, or empty with why set: each place looked at and why it was not used.
    static QString find(const QString& name, QString* why = nullptr);
    // The private folder, when this is an installed program; else empty.
    static QString privateFolder();
};
