#pragma once

#include <QByteArrayList>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// The repeating alarm's own small file, repeat.txt, in the folder of settings.txt, so that the
// settings stay their one line. A line a value, "name=value": the alarm time it belongs to, the days
// (the command line's words), the skipped date, whether the alarm was set, and the next ring it was
// waiting for. Lines of other names are kept as they are when the file is written again. Read and
// written under the settings' rules: only a file of the user's own, a save that replaces the file
// whole or not at all, and a file not read whole kept aside as repeat.txt.bad before it is replaced.
class RepeatFile {
    Q_DECLARE_TR_FUNCTIONS(RepeatFile)

public:
    struct Record {
        QString alarm; // the alarm time these days belong to
        QString repeat = QStringLiteral("once");
        QDate skip;                // invalid: none
        bool set = false;          // the alarm was set when this was written
        QDateTime next;            // the ring it was waiting for; invalid: none
        QByteArrayList otherLines; // names this version does not know, kept as they were
        bool operator==(const Record&) const = default;
    };

    static constexpr const char* FileName = "repeat.txt";

    // std::nullopt when there is no file, or it is not read whole (damage() says why).
    std::optional<Record> read();
    // False, with failure() set, when it could not be saved; the old file stays whole.
    bool write(const Record& record);

    // The file the reads and saves use; empty when there is nowhere.
    static QString readPath();
    static QString savePath();
    QString damage() const { return m_damage; }
    QString failure() const { return m_failure; }
    // Keeps the damaged file as repeat.txt.bad; its path, or empty when no copy was made.
    QString keepDamagedCopy();

    // Nothing when a line is not "name=value" or a known value does not read.
    static std::optional<Record> parse(const QByteArray& content);
    static QByteArray format(const Record& record);

private:
    QString m_readFrom;
    QString m_damage;
    QString m_failure;
    bool m_damaged = false;
};
