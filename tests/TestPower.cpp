#include "alarm/AlarmEngine.h"
#include "alarm/SnoozeMinutes.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "mock/DesktopDoubles.h"

#include "alarm/WakePolicy.h"
#include "core/ClockZoneWatcher.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <ctime>

// The wake timer, the suspend inhibitor and the sleep delay, as an armed alarm moves them.
class TestPower : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_desk.reset();
        m_desk.clock.set(QDateTime(QDate(2026, 1, 5), QTime(7, 0, 0)));
        engine().SoundPath = QStringLiteral("/sounds/wake.mp3");
    }
    void cleanup() { m_desk.closeAllWindows(); }
    void wakeTimerFollowsTheAlarm();
    void keptAwakeWhereItCannotWake();
    void heldFromTheWakeMomentUntilOff();
    void wakeTimerFollowsTheZone();

private:
    Form1& form() { return Forms::form1(); }
    AlarmEngine& engine() { return form().engine(); }
    PowerDoubles& power() { return m_desk.power; }
    QDateTime at(int day, int h, int m, int s = 0) { return QDateTime(QDate(2026, 1, day), QTime(h, m, s)); }
    void arm(const QString& text)
    {
        form().Text2()->setText(text);
        engine().Command1_Click();
        QVERIFY(engine().armed());
    }
    QString tip() const { return m_desk.tray.calls.last().data.shownTip(); }

    DesktopDoubles m_desk;
};

void TestPower::wakeTimerFollowsTheAlarm()
{
    arm(QStringLiteral("07:30:00"));
    QCOMPARE(power().wake.at, at(5, 7, 29));
    QVERIFY(power().sleep.held);
    QVERIFY(!power().inhibitor.held);
    QCOMPARE(tip(), QStringLiteral("Right Click For Options - Alarm 07:30:00, wakes this computer"));

    form().Text2()->setText(QStringLiteral("06:15:00"));
    QCOMPARE(power().wake.at, at(6, 6, 14));
    // The clock was set forward: the same alarm, another real moment.
    m_desk.clock.set(at(6, 6, 0));
    power().wake.clockWasSet();
    QCOMPARE(power().wake.at, at(6, 6, 14));
    // Armed within the last minute: the timer stands at the second itself.
    m_desk.clock.set(at(6, 6, 14, 30));
    power().wake.clockWasSet();
    QCOMPARE(power().wake.at, at(6, 6, 15));

    // Rung, the next is tomorrow's; snoozed, the re-ring's.
    m_desk.clock.set(at(6, 6, 15));
    engine().Timer3_Timer();
    engine().Timer1_Timer();
    QCOMPARE(power().wake.at, at(7, 6, 14));
    SnoozeMinutes = 5;
    engine().Command3_Click();
    QCOMPARE(power().wake.at, at(6, 6, 19));
    // While awake and woken anyway, the sleep is not held back.
    power().sleep.sleep();
    QVERIFY(!power().sleep.held);
    power().sleep.wake();
    QVERIFY(power().sleep.held);

    engine().Command2_Click();
    QVERIFY(!power().wake.at.isValid());
    QVERIFY(!power().sleep.held);
    QCOMPARE(tip(), QStringLiteral("Right Click For Options"));
}

void TestPower::keptAwakeWhereItCannotWake()
{
    power().wake.wakes = false;
    arm(QStringLiteral("07:30:00"));
    QVERIFY(power().inhibitor.held);
    QVERIFY(power().sleep.held);
    QCOMPARE(tip(), QStringLiteral("Right Click For Options - Alarm 07:30:00, keeps computer awake"));

    // Held back for the warning, then let go; taken again on waking.
    m_desk.clock.set(at(5, 7, 29, 50));
    engine().Timer3_Timer();
    power().sleep.sleep();
    QTRY_VERIFY_WITH_TIMEOUT(!power().sleep.held, 2500);
    // Asleep past the alarm, within the catch-up: it rings on waking, not at the next tick.
    m_desk.clock.set(at(5, 7, 35));
    power().sleep.wake();
    QVERIFY(form().Timer5()->Enabled());
    QVERIFY(power().sleep.held);
    QVERIFY(power().inhibitor.held);

    engine().Command2_Click();
    QVERIFY(!power().inhibitor.held);
    arm(QStringLiteral("07:30:00"));
    Forms::unloadForm1();
    QVERIFY(!power().inhibitor.held);
    QVERIFY(!power().sleep.held);
}

void TestPower::heldFromTheWakeMomentUntilOff()
{
    // Not woken until the wake program says so.
    power().wake.wakes = false;
    arm(QStringLiteral("07:30:00"));
    QVERIFY(power().inhibitor.held);
    power().wake.answer(true);
    QCOMPARE(power().wake.at, at(5, 7, 29));
    QVERIFY(!power().inhibitor.held);
    QCOMPARE(tip(), QStringLiteral("Right Click For Options - Alarm 07:30:00, wakes this computer"));

    // Woken at the wake moment: no idle suspend from then on, through the ring and the snooze.
    m_desk.clock.set(at(5, 7, 29));
    power().sleep.wake();
    QVERIFY(power().inhibitor.held);
    m_desk.clock.set(at(5, 7, 30));
    engine().Timer3_Timer();
    engine().Timer1_Timer();
    QVERIFY(power().inhibitor.held);
    SnoozeMinutes = 5;
    engine().Command3_Click();
    QCOMPARE(power().wake.at, at(5, 7, 34));
    QVERIFY(power().inhibitor.held);
    engine().Command2_Click();
    QVERIFY(!power().inhibitor.held);
    arm(QStringLiteral("07:30:00"));
    QVERIFY(!power().inhibitor.held);
}

void TestPower::wakeTimerFollowsTheZone()
{
    const QByteArray tz = qgetenv("TZ");
    const auto restore = qScopeGuard([tz] {
        tz.isNull() ? qunsetenv("TZ") : qputenv("TZ", tz);
        tzset();
    });
    QTemporaryDir dir;
    const QString zone = dir.filePath(QStringLiteral("localtime"));
    QVERIFY(QFile::copy(QStringLiteral("/usr/share/zoneinfo/Europe/London"), zone));
    qputenv("TZ", ":" + zone.toLocal8Bit());
    tzset();
    ClockZoneWatcher watcher;
    connect(&watcher, &ClockZoneWatcher::zoneChanged, &form().wakePolicy(), &WakePolicy::update);

    arm(QStringLiteral("07:30:00"));
    const qint64 london = power().wake.secs;
    QVERIFY(QFile::copy(QStringLiteral("/usr/share/zoneinfo/Europe/Berlin"), zone + ".new"));
    QVERIFY(std::rename(QFile::encodeName(zone + ".new").constData(), QFile::encodeName(zone).constData()) == 0);
    // The same 07:29 on the clock, an hour earlier in real time.
    QTRY_COMPARE_WITH_TIMEOUT(power().wake.secs, london - 3600, 5000);
}

QTEST_MAIN(TestPower)
#include "TestPower.moc"
