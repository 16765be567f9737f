#pragma once

#include "core/SettingsRecord.h"
#include <QCoreApplication>

#include <QByteArray>
#include <QString>
#include <optional>

// settings.txt: one line of five comma-separated values, beside the program or in the user's own
// configuration folder (SettingsLocation). One object serves one run: it remembers where the file
// was read from, how its texts were encoded and whether it was read whole, so that the save goes
// to the right place, keeps the bytes of what did not change and never overwrites a file that
// could not be read without keeping a copy of it first.
class SettingsFile {
    Q_DECLARE_TR_FUNCTIONS(SettingsFile)

public:
    // std::nullopt when there is no file, or nothing of it can be read (said on standard error).
    // A file of any other kind than a regular file is never opened, so that nothing can block here.
    std::optional<SettingsRecord> read();
    // False when it could not be saved: said on standard error (once, while the same save keeps
    // failing for the same reason), failure() says why, and the old file stays whole. True only once
    // the new file is on the disk.
    bool write(const SettingsRecord& record);

    // Where the next save goes; empty when there is nowhere to save.
    QString path() const;
    // The file the last read looked at; empty when there was none.
    QString readFrom() const { return m_readFrom; }
    // The file the last failed save was meant for, and why it failed, for the user.
    QString failedPath() const { return m_failedPath; }
    QString failure() const { return m_failure; }

    // Why the file read last was not read whole; empty when it was, or when there was none.
    QString damage() const { return m_damaged ? m_damage : QString(); }
    // Keeps the file that was not read whole as settings.txt.bad at once, rather than at the next
    // save, so that the user can be told where it is. The copy's path, or empty when none was kept
    // (the file is not where the saves go, or the copy could not be made).
    QString keepDamagedCopy();

    // Every field that converts is set; the others, and those the file does not have, stay empty.
    // whole, when given, tells whether all five fields were there, converted and none was cut short.
    static SettingsRecord parse(const QByteArray& content, bool* whole = nullptr);
    // The one line, CR LF included. An empty number is written as an empty field. A text goes out
    // in the encoding the record names, where it can.
    static QByteArray format(const SettingsRecord& record);

private:
    bool fail(const QString& path, const QString& reason);
    bool keepDamagedCopy(const QString& file);
    bool damagedIsSaveTarget(const QString& file) const;

    QString m_readFrom;
    SettingsRecord m_read;
    // The file at m_readFrom is there but was not read whole: it is kept aside before a save.
    bool m_damaged = false;
    bool m_copyKept = false;
    QString m_damage;
    QString m_failedPath;
    QString m_failure;
    // The failure last said on standard error; empty once a save went through.
    QString m_told;
};
