#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Keeps the local time in step with the system's time zone while the program runs. The C library
// looks at /etc/localtime anew by itself, but a zone file named in TZ (TZ=:/etc/localtime, common
// on servers) is read once and never again: this watches that file and its folder, and when the
// zone changes has the C library read it afresh, so the clock and the alarm follow at once.
class ClockZoneWatcher : public QObject {
    Q_OBJECT
public:
    explicit ClockZoneWatcher(QObject* parent = nullptr);

    // The zone file in force: the one TZ names (":/path", "/path", or a zone name under the zone
    // folder), else /etc/localtime. Empty when TZ holds a rule of its own, which no file changes.
    static QString zoneFile();
    // Has the C library read the zone again, although TZ itself did not change.
    static void reload();
    // First thing at start, before anything reads the zone: when the zone file in force is not a
    // regular file of a zone file's size (a named pipe would hold the start for ever, a huge file
    // would be read whole), TZ is set to UTC, and the log channel says why. The file not used; empty
    // when the zone is usable.
    static QString useUtcUnlessUsable();
    // What to tell the user about that file, in the user's language, once the program has one.
    static QString notUsedNotice(const QString& file);

signals:
    // The local time follows another zone now: the next ring is another real moment.
    void zoneChanged();
    // The zone file was replaced by something that is not read (a named pipe, a device, a huge
    // file): the zone read last stays. What to tell the user, as the start tells it.
    void unusable(const QString& notice);

private:
    static QString notUsed(const QString& file, const QString& why);
    void watch();
    void check();

    QFileSystemWatcher m_watcher;
    // Changes come in bursts (a package writes, renames and links): one look once they settle.
    QTimer m_settle;
    QString m_file;
    QByteArray m_seen;
};
