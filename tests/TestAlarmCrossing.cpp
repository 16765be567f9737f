#include "core/AlarmCrossing.h"
#include "core/ClockZoneWatcher.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <cstdio>
#include <ctime>

// When an alarm time is due, over the stretch of local time between two clock readings, with the
// daylight-saving changes of a real zone; and the local time following a change of the zone.
class TestAlarmCrossing : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void crossing_data();
    void crossing();
    void springGapRingsAtTheFirstSecondAfterIt();
    void autumnRepeatedHourIsNoNewCrossing();
    void zoneFollowsARepointedLink();

private:
    static QDateTime berlin(int month, int day, const QTime& time)
    {
        return QDateTime(QDate(2026, month, day), time, QTimeZone("Europe/Berlin"));
    }
};

void TestAlarmCrossing::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("time");
    QTest::addRow("exact") << "07:30:00" << QTime(7, 30, 0);
    QTest::addRow("midnight") << "00:00:00" << QTime(0, 0, 0);
    QTest::addRow("last second") << "23:59:59" << QTime(23, 59, 59);
    QTest::addRow("hour 24") << "24:00:00" << QTime();
    QTest::addRow("minute 60") << "07:60:00" << QTime();
    QTest::addRow("second 60") << "07:30:60" << QTime();
    QTest::addRow("no leading zero") << "7:30:00" << QTime();
    QTest::addRow("no seconds") << "07:30" << QTime();
    QTest::addRow("blank around") << " 07:30:00" << QTime();
    QTest::addRow("line break") << "07:30:00\n" << QTime();
    QTest::addRow("other separator") << "07.30.00" << QTime();
    QTest::addRow("other digits") << QString::fromUtf8("\u0660\u0667:30:00") << QTime();
    QTest::addRow("signs") << "+7:30:00" << QTime();
    QTest::addRow("empty") << "" << QTime();
}

void TestAlarmCrossing::parse()
{
    QFETCH(QString, text);
    QFETCH(QTime, time);
    const std::optional<QTime> parsed = AlarmCrossing::parse(text);
    QCOMPARE(parsed.has_value(), time.isValid());
    if (parsed)
        QCOMPARE(*parsed, time);
}

void TestAlarmCrossing::crossing_data()
{
    QTest::addColumn<QTime>("previous");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<int>("result");
    using R = AlarmCrossing::Result;
    // The alarm is at 07:30:00; the clock jumps (or the machine sleeps) from previous to now.
    QTest::addRow("on the second") << QTime(7, 29, 59) << QTime(7, 30, 0) << int(R::Due);
    QTest::addRow("a second before") << QTime(7, 29, 58) << QTime(7, 29, 59) << int(R::None);
    QTest::addRow("already passed") << QTime(7, 30, 0) << QTime(7, 30, 1) << int(R::None);
    QTest::addRow("jump of 2 min") << QTime(7, 29, 59) << QTime(7, 31, 59) << int(R::Due);
    QTest::addRow("jump of 9 min") << QTime(7, 29, 59) << QTime(7, 38, 59) << int(R::Due);
    QTest::addRow("jump of 11 min") << QTime(7, 29, 59) << QTime(7, 40, 59) << int(R::Missed);
    QTest::addRow("jump of 60 min") << QTime(7, 29, 59) << QTime(8, 29, 59) << int(R::Missed);
    QTest::addRow("10 min late exactly") << QTime(7, 0, 0) << QTime(7, 40, 0) << int(R::Due);
    QTest::addRow("jump that stops short") << QTime(7, 0, 0) << QTime(7, 29, 59) << int(R::None);
    QTest::addRow("clock set back across it") << QTime(7, 40, 0) << QTime(7, 20, 0) << int(R::None);
    QTest::addRow("ticks under a second apart") << QTime(7, 29, 59, 500) << QTime(7, 30, 0, 498) << int(R::Due);
}

void TestAlarmCrossing::crossing()
{
    QFETCH(QTime, previous);
    QFETCH(QTime, now);
    QFETCH(int, result);
    const QDate day(2026, 1, 5);
    QCOMPARE(int(AlarmCrossing::check(QTime(7, 30, 0), QDateTime(day, previous), QDateTime(day, now), 600)), result);
    // No earlier reading: only the second now shown counts.
    QCOMPARE(AlarmCrossing::check(QTime(7, 30, 0), QDateTime(), QDateTime(day, now), 600),
             now.second() == 0 && now.minute() == 30 && now.hour() == 7 ? AlarmCrossing::Result::Due
                                                                        : AlarmCrossing::Result::None);
}

void TestAlarmCrossing::springGapRingsAtTheFirstSecondAfterIt()
{
    // 29 March 2026: 01:59:59 CET is followed by 03:00:00 CEST.
    const QDateTime before = berlin(3, 29, QTime(1, 59, 59));
    const QDateTime after = before.addSecs(1);
    QCOMPARE(after.time(), QTime(3, 0, 0));
    QCOMPARE(AlarmCrossing::check(QTime(2, 30, 0), before, after, 600), AlarmCrossing::Result::Due);
    QCOMPARE(AlarmCrossing::check(QTime(2, 0, 0), before, after, 600), AlarmCrossing::Result::Due);
    QCOMPARE(AlarmCrossing::check(QTime(3, 0, 1), before, after, 600), AlarmCrossing::Result::None);
    // Asleep across the change: 01:55 CET to 03:20 CEST is 25 real minutes; 02:30 was 20 min ago.
    QCOMPARE(AlarmCrossing::check(QTime(2, 30, 0), berlin(3, 29, QTime(1, 55, 0)), berlin(3, 29, QTime(3, 20, 0)), 600),
             AlarmCrossing::Result::Missed);
    QCOMPARE(AlarmCrossing::check(QTime(3, 15, 0), berlin(3, 29, QTime(1, 55, 0)), berlin(3, 29, QTime(3, 20, 0)), 600),
             AlarmCrossing::Result::Due);
}

void TestAlarmCrossing::autumnRepeatedHourIsNoNewCrossing()
{
    // 25 October 2026: 02:59:59 CEST is followed by 02:00:00 CET; 02:00-02:59 comes twice.
    // The change is at 01:00 UTC.
    const QDateTime change =
        QDateTime(QDate(2026, 10, 25), QTime(1, 0, 0), Qt::UTC).toTimeZone(QTimeZone("Europe/Berlin"));
    const QDateTime first = change.addSecs(-1801);
    QCOMPARE(first.time(), QTime(2, 29, 59));
    QVERIFY(first.isDaylightTime());
    QCOMPARE(AlarmCrossing::check(QTime(2, 30, 0), first, first.addSecs(1), 600), AlarmCrossing::Result::Due);
    const QDateTime lastSummer = change.addSecs(-1);
    const QDateTime firstWinter = lastSummer.addSecs(1);
    QCOMPARE(firstWinter.time(), QTime(2, 0, 0));
    QVERIFY(!firstWinter.isDaylightTime());
    // The clock going back is no stretch of its own: nothing between 02:00 and 02:59 is crossed.
    QCOMPARE(AlarmCrossing::check(QTime(2, 30, 0), lastSummer, firstWinter, 600), AlarmCrossing::Result::None);
    QCOMPARE(AlarmCrossing::check(QTime(2, 0, 0), lastSummer, firstWinter, 600), AlarmCrossing::Result::Due);
}

void TestAlarmCrossing::zoneFollowsARepointedLink()
{
    // The zone link pointed elsewhere as timedatectl does it: a new link renamed over the old one.
    QTemporaryDir dir;
    const QString link = dir.filePath(u"localtime"_qs);
    QVERIFY(QFile::link(u"/usr/share/zoneinfo/UTC"_qs, link));
    const std::optional<QByteArray> tz =
        qEnvironmentVariableIsSet("TZ") ? std::optional<QByteArray>(qgetenv("TZ")) : std::nullopt;
    qputenv("TZ", ":" + QFile::encodeName(link));
    ClockZoneWatcher watcher;
    QSignalSpy changed(&watcher, &ClockZoneWatcher::zoneChanged);
    QVERIFY(QFile::link(u"/usr/share/zoneinfo/Asia/Kolkata"_qs, link + u".new"_qs));
    QCOMPARE(std::rename(QFile::encodeName(link + u".new"_qs), QFile::encodeName(link)), 0);
    QTRY_COMPARE(changed.size(), 1);
    QCOMPARE(QDateTime::currentDateTime().offsetFromUtc(), 5 * 3600 + 1800);
    tz ? qputenv("TZ", *tz) : qunsetenv("TZ");
    ::tzset();
}

QTEST_GUILESS_MAIN(TestAlarmCrossing)
#include "TestAlarmCrossing.moc"
