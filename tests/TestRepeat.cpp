#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "alarm/AlarmRepeat.h"
#include "alarm/AlarmState.h"
#include "alarm/WakePolicy.h"
#include "app/Form1.h"
#include "core/RepeatDays.h"
#include "mock/DesktopDoubles.h"

#include <QScopeGuard>
#include <QTest>
#include <QTimeZone>

#include <ctime>

// A daily alarm: the next ring from the days, the skip and the alarm time in local time; OFF at a
// ring keeps it set; the days kept beside the settings and the alarm set again at the next start.
class TestRepeat : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init() { m_desk.reset(); }
    void cleanup() { m_desk.closeAllWindows(); }

    void nextRing_data();
    void nextRing();
    void weekdaysThroughAWeek();
    void keptBesideTheSettings_data();
    void keptBesideTheSettings();

private:
    Form1& form() { return Forms::form1(); }
    AlarmCommands& commands() { return form().commands(); }
    QString status() { return AlarmState::of(form().engine(), form().wakePolicy()).statusLines(); }
    void passTo(const QDateTime& when);
    void writeFiles(const QByteArray& repeat);

    DesktopDoubles m_desk;
    QByteArray m_zone;
};

void TestRepeat::initTestCase()
{
    // The clock's days in a zone with both daylight-saving changes.
    m_zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    QFile sound(m_desk.dir.filePath(QStringLiteral("wake.mp3")));
    QVERIFY(sound.open(QIODevice::WriteOnly));
    sound.write("ID3");
}

void TestRepeat::cleanupTestCase()
{
    m_zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", m_zone);
    ::tzset();
}

void TestRepeat::nextRing_data()
{
    QTest::addColumn<QString>("days");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDate>("skipped");
    QTest::addColumn<QDateTime>("next"); // in UTC: the real moment, not Qt's reading of local time
    const auto local = [](int m, int d, int h, int min) { return QDateTime(QDate(2026, m, d), QTime(h, min)); };
    const auto utc = [](int m, int d, int h, int min) { return QDateTime(QDate(2026, m, d), QTime(h, min), Qt::UTC); };
    QTest::addRow("weekdays, set Friday night: Monday")
        << "weekdays" << local(12, 11, 22, 0) << QDate() << utc(12, 14, 6, 30);
    QTest::addRow("at Monday's ring: Tuesday") << "weekdays" << local(12, 14, 7, 30) << QDate() << utc(12, 15, 6, 30);
    QTest::addRow("spring change: 07:30 summer time")
        << "weekdays" << local(3, 27, 22, 0) << QDate() << utc(3, 30, 5, 30);
    QTest::addRow("autumn change: 07:30 winter time")
        << "weekdays" << local(10, 23, 22, 0) << QDate() << utc(10, 26, 6, 30);
    QTest::addRow("Monday skipped on Sunday: Tuesday")
        << "weekdays" << local(12, 13, 12, 0) << QDate(2026, 12, 14) << utc(12, 15, 6, 30);
    QTest::addRow("a skip gone by: Monday")
        << "weekdays" << local(12, 13, 12, 0) << QDate(2026, 12, 11) << utc(12, 14, 6, 30);
    QTest::addRow("Mondays only, past and skipped: two weeks")
        << "MON" << local(12, 14, 8, 0) << QDate(2026, 12, 21) << utc(12, 28, 6, 30);
    QTest::addRow("once: the next 07:30") << "once" << local(12, 11, 22, 0) << QDate() << utc(12, 12, 6, 30);
    // 02:30 does not exist that night: the ring is when the clock leaves the gap, at 03:00 summer time.
    QTest::addRow("in the skipped hour: at the change")
        << "daily" << QDateTime(QDate(2026, 3, 28), QTime(23, 0)) << QDate() << utc(3, 29, 1, 0);
    QTest::addRow("once, in the skipped hour: at the change")
        << "once" << QDateTime(QDate(2026, 3, 28), QTime(23, 0)) << QDate() << utc(3, 29, 1, 0);
    QTest::addRow("sat, sun: weekends") << "sat, sun" << local(12, 14, 8, 0) << QDate() << utc(12, 19, 6, 30);
    QTest::addRow("no such day") << "mon,funday" << local(12, 14, 8, 0) << QDate() << QDateTime();
}

void TestRepeat::nextRing()
{
    QFETCH(QString, days);
    QFETCH(QDateTime, now);
    QFETCH(QDate, skipped);
    QFETCH(QDateTime, next);
    const std::optional<RepeatDays> parsed = RepeatDays::parse(days);
    QCOMPARE(parsed.has_value(), next.isValid());
    if (!parsed)
        return;
    const QTime alarm = QByteArray(QTest::currentDataTag()).contains("skipped hour") ? QTime(2, 30) : QTime(7, 30);
    QCOMPARE(parsed->next(alarm, now, skipped).toSecsSinceEpoch(), next.toSecsSinceEpoch());
    // The words read back as the same days, in their shortest form.
    QCOMPARE(RepeatDays::parse(parsed->words()), parsed);
    if (days == QLatin1String("sat, sun"))
        QCOMPARE(parsed->words(), QStringLiteral("weekends"));
}

void TestRepeat::passTo(const QDateTime& when)
{
    m_desk.clock.set(when.addSecs(-1));
    form().engine().Timer3_Timer();
    m_desk.clock.set(when);
    form().engine().Timer3_Timer();
    form().engine().Timer1_Timer();
}

void TestRepeat::weekdaysThroughAWeek()
{
    m_desk.clock.set(QDateTime(QDate(2026, 12, 11), QTime(22, 0))); // a Friday
    form().engine().SoundPath = m_desk.dir.filePath(QStringLiteral("wake.mp3"));
    form().Text2()->setText(QStringLiteral("07:30:00"));
    QCOMPARE(commands().skip(), QStringLiteral("The alarm is not set"));
    QCOMPARE(commands().setRepeat(QStringLiteral("weekdays")), QString());
    QCOMPARE(commands().arm(), QString());
    QVERIFY(status().contains(u"Next ring: 2026-12-14 07:30:00\n"));
    QVERIFY(status().endsWith(u"Repeat: weekdays\nSkipped: -\n"));
    // Woken a minute ahead, days ahead.
    QCOMPARE(m_desk.power.wake.at, QDateTime(QDate(2026, 12, 14), QTime(7, 29)));
    // Saturday and Sunday pass in silence, and are no miss.
    passTo(QDateTime(QDate(2026, 12, 12), QTime(7, 30)));
    passTo(QDateTime(QDate(2026, 12, 13), QTime(7, 30)));
    QVERIFY(m_desk.player->playing.isEmpty());
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
    // Skipped on Sunday: Tuesday; taken back: Monday again.
    QCOMPARE(commands().skip(), QString());
    QVERIFY(status().contains(u"Next ring: 2026-12-15 07:30:00\n"));
    QVERIFY(status().endsWith(u"Skipped: 2026-12-14 07:30:00\n"));
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(),
             QStringLiteral("Alarm Tue 07:30:00, wakes this computer - Mon 07:30:00 skipped"));
    QCOMPARE(commands().unskip(), QString());
    QVERIFY(status().contains(u"Next ring: 2026-12-14 07:30:00\n"));
    // Monday rings; OFF at the ring keeps it set for Tuesday.
    passTo(QDateTime(QDate(2026, 12, 14), QTime(7, 30)));
    QCOMPARE(m_desk.player->playing, form().engine().SoundPath);
    QCOMPARE(commands().off(), QString());
    QVERIFY(m_desk.player->playing.isEmpty());
    QVERIFY(form().engine().armed());
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
    QVERIFY(status().contains(u"Next ring: 2026-12-15 07:30:00\n"));
    // Answered: the computer may sleep until Tuesday's wake.
    QCOMPARE(m_desk.power.wake.at, QDateTime(QDate(2026, 12, 15), QTime(7, 29)));
    QVERIFY(!m_desk.power.inhibitor.held);
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(), QStringLiteral("Alarm Tue 07:30:00, wakes this computer"));
    passTo(QDateTime(QDate(2026, 12, 15), QTime(7, 30)));
    QCOMPARE(m_desk.player->playing, form().engine().SoundPath);
    // Sleep, then OFF: still set; OFF between rings switches it off.
    QCOMPARE(commands().sleep(), QString());
    QCOMPARE(commands().off(), QString());
    QVERIFY(form().engine().armed());
    // Wednesday skipped passes in silence, and the skip with it.
    QCOMPARE(commands().skip(), QString());
    passTo(QDateTime(QDate(2026, 12, 16), QTime(7, 30)));
    QVERIFY(m_desk.player->playing.isEmpty());
    QVERIFY(status().contains(u"Next ring: 2026-12-17 07:30:00\n"));
    QVERIFY(status().endsWith(u"Skipped: -\n"));
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(), QStringLiteral("Alarm Thu 07:30:00, wakes this computer"));
    QCOMPARE(commands().off(), QString());
    QVERIFY(!form().engine().armed());
    QCOMPARE(form().Text5()->text(), QStringLiteral("Not Set"));
    // Days that are none are refused in the buttons' words.
    QCOMPARE(commands().setRepeat(QStringLiteral("fortnightly")),
             QStringLiteral("Repeat takes once, daily, weekdays, weekends or days such as mon,tue"));
    // "Once" is the one-time alarm: OFF at its ring disarms.
    QCOMPARE(commands().setRepeat(QStringLiteral("once")), QString());
    QCOMPARE(commands().arm(), QString());
    passTo(QDateTime(QDate(2026, 12, 17), QTime(7, 30)));
    QCOMPARE(commands().skip(), QStringLiteral("The alarm does not repeat"));
    QCOMPARE(commands().off(), QString());
    QVERIFY(!form().engine().armed());
    // The settings keep their one line, whatever the days.
    form().Text2()->setText(QString());
    const QString sound = form().engine().SoundPath;
    m_desk.closeAllWindows();
    QFile settings(m_desk.settingsPath());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), "\"" + sound.toUtf8() + "\",\"\",1,-2147483640,12648447\r\n");
}

void TestRepeat::writeFiles(const QByteArray& repeat)
{
    QFile settings(m_desk.settingsPath());
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("\"" + m_desk.dir.filePath(QStringLiteral("wake.mp3")).toUtf8() + "\",\"07:30:00\",1,0,0\r\n");
    QFile::remove(m_desk.dir.filePath(QStringLiteral("repeat.txt.bad")));
    QFile file(m_desk.dir.filePath(QStringLiteral("repeat.txt")));
    file.remove();
    if (!repeat.isNull()) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(repeat);
    }
}

void TestRepeat::keptBesideTheSettings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("state"); // what is in force after the start
    QTest::addColumn<QString>("told");
    const QByteArray set = "alarm=07:30:00\nrepeat=weekdays\nset=yes\nfuture=kept\nnext=2026-12-14T07:30:00+01:00\n";
    QTest::addRow("missing") << QByteArray() << "once"
                             << "";
    QTest::addRow("damaged") << QByteArray("repeat=someday\n") << "once"
                             << "could not be read";
    QTest::addRow("another time") << QByteArray(set).replace("07:30:00\n", "06:00:00\n") << "once"
                                  << "belong to the alarm time 06:00:00";
    QTest::addRow("set, rung 5 min ago: rings") << set << "ringing"
                                                << "";
    QTest::addRow("set, rung 30 min ago: missed") << set << "Missed"
                                                  << "";
    QTest::addRow("not set: days only") << QByteArray(set).replace("set=yes", "set=no") << "Not Set"
                                        << "";
}

void TestRepeat::keptBesideTheSettings()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, state);
    QFETCH(QString, told);
    writeFiles(file);
    const int late = QByteArray(QTest::currentDataTag()).contains("30 min") ? 30 : 5;
    m_desk.clock.set(QDateTime(QDate(2026, 12, 14), QTime(7, 30)).addSecs(late * 60));
    form().resumeRepeatingAlarm();
    QCoreApplication::processEvents();
    QCOMPARE(m_desk.boxes.isEmpty(), told.isEmpty());
    if (!told.isEmpty())
        QVERIFY2(m_desk.boxes.last().text.contains(told), qPrintable(m_desk.boxes.last().text));
    QCOMPARE(QFile::exists(m_desk.dir.filePath(QStringLiteral("repeat.txt.bad"))),
             told == QLatin1String("could not be read"));
    const RepeatDays days = form().engine().repeat().days();
    QCOMPARE(days.once(), state == QLatin1String("once"));
    if (state == QLatin1String("ringing"))
        QVERIFY(form().engine().ringing());
    else if (!days.once())
        QCOMPARE(form().Text5()->text(), state);
    // Written again with what it did not know kept; a file of other days is left for the user.
    m_desk.closeAllWindows();
    QFile again(m_desk.dir.filePath(QStringLiteral("repeat.txt")));
    QCOMPARE(again.exists(), !file.isNull() && told != QLatin1String("could not be read"));
    if (!days.once()) {
        QVERIFY(again.open(QIODevice::ReadOnly));
        const QByteArray saved = again.readAll();
        QVERIFY(saved.contains("future=kept\n"));
        QVERIFY(saved.contains(state == QLatin1String("Not Set") ? "set=no\n" : "set=yes\n"));
    }
}

QTEST_MAIN(TestRepeat)
#include "TestRepeat.moc"
