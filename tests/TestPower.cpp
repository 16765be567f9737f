#include "alarm/AlarmEngine.h"
#include "alarm/SnoozeMinutes.h"
#include "alarm/WakePolicy.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "app/SleepWarning.h"
#include "mock/DesktopDoubles.h"
#include "platform/DesktopNotifier.h"
#include "platform/DesktopSuspendInhibitor.h"
#include "platform/WakeProgramAlarm.h"

#include "core/ClockZoneWatcher.h"
#include "mock/RecordedSkip.h"
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <ctime>
#include <sys/stat.h>

// The wake timer, the suspend inhibitor and the sleep delay, as an armed alarm moves them; the
// inhibit given back to the desktop's service.
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
    void sleepWaitsForTheWarning();
    void inhibitGivenBackToTheDesktop();
    void heldFromTheWakeMomentUntilOff();
    void wakeTimerFollowsTheZone();
    void wakeProgramsAnswerToTheLastRequestCounts();

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

void TestPower::sleepWaitsForTheWarning()
{
    // A policy of its own, whose warning the notification server takes only when the test says so.
    struct HeldNotifier : DesktopNotifier {
        void show(const Content& content) override { shown << content.body; }
        QStringList shown;
    } notifier;
    FakeWakeAlarm wake;
    wake.wakes = false;
    FakeSuspendInhibitor inhibitor;
    FakeSleepWatcher sleep;
    const auto policy = std::make_unique<WakePolicy>(engine(), wake, inhibitor, sleep);
    new SleepWarning(*policy, notifier);
    arm(QStringLiteral("07:30:00"));
    sleep.sleep();
    QCOMPARE(notifier.shown.size(), 1);
    QTest::qWait(100);
    QVERIFY(sleep.held);
    emit notifier.answered();
    QVERIFY(!sleep.held);
}

namespace {
// The desktop portal or the power manager on a second connection of this process: Inhibit answers
// with a handle, and each call is written down as its member, path and first argument.
class FakeInhibitService : public QDBusVirtualObject {
public:
    ~FakeInhibitService() override { QDBusConnection::disconnectFromBus(m_bus.name()); }
    bool start()
    {
        return m_bus.isConnected() &&
               m_bus.registerVirtualObject(u"/org/freedesktop"_qs, this, QDBusConnection::SubPath);
    }
    bool serve(const QString& service)
    {
        if (!m_service.isEmpty())
            m_bus.unregisterService(m_service);
        m_service = service;
        return m_bus.registerService(service);
    }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        calls << QStringList{message.member(), message.path(), message.arguments().value(0).toString()}.join(u' ');
        QDBusMessage reply = message.createReply();
        if (message.member() == u"Inhibit"_qs && m_service.contains(u"portal"_qs))
            reply << QVariant::fromValue(QDBusObjectPath(u"/org/freedesktop/portal/desktop/request/1/k"_qs));
        else if (message.member() == u"Inhibit"_qs)
            reply << 7u;
        connection.send(reply);
        return true;
    }
    QStringList calls;

private:
    QDBusConnection m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"kestrune-test-power"_qs);
    QString m_service;
};
} // namespace

void TestPower::inhibitGivenBackToTheDesktop()
{
    FakeInhibitService service;
    if (!service.start() || !service.serve(u"org.freedesktop.portal.Desktop"_qs))
        KESTRUNE_SKIP("needs a session bus (scripts/services.sh starts one) with no desktop portal on it");
    DesktopSuspendInhibitor inhibitor;
    // OFF before the answer came: what it brings is given back, or the computer never suspends again.
    inhibitor.hold(u"alarm"_qs);
    inhibitor.release();
    QTRY_COMPARE(service.calls.value(1), u"Close /org/freedesktop/portal/desktop/request/1/k "_qs);
    service.calls.clear();
    inhibitor.hold(u"alarm"_qs);
    QTRY_COMPARE(service.calls, QStringList{u"Inhibit /org/freedesktop/portal/desktop "_qs});
    QTest::qWait(100); // its answer is in
    inhibitor.release();
    QTRY_COMPARE(service.calls.value(1), u"Close /org/freedesktop/portal/desktop/request/1/k "_qs);
    // Without a portal, the power manager's cookie.
    service.calls.clear();
    QVERIFY(service.serve(u"org.freedesktop.PowerManagement"_qs));
    inhibitor.hold(u"alarm"_qs);
    QTRY_COMPARE(service.calls, QStringList{u"Inhibit /org/freedesktop/PowerManagement/Inhibit Kestrune"_qs});
    QTest::qWait(100);
    inhibitor.release();
    QTRY_COMPARE(service.calls.value(1), u"UnInhibit /org/freedesktop/PowerManagement/Inhibit 7"_qs);
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
    form().wakePolicy().follow(watcher);

    arm(QStringLiteral("07:30:00"));
    const qint64 london = power().wake.secs;
    QVERIFY(QFile::copy(QStringLiteral("/usr/share/zoneinfo/Europe/Berlin"), zone + ".new"));
    QVERIFY(std::rename(QFile::encodeName(zone + ".new").constData(), QFile::encodeName(zone).constData()) == 0);
    // The same 07:29 on the clock, an hour earlier in real time.
    QTRY_COMPARE_WITH_TIMEOUT(power().wake.secs, london - 3600, 5000);
    // Replaced by a named pipe, it is not read again, and the user is told.
    QSignalSpy told(&watcher, &ClockZoneWatcher::unusable);
    QVERIFY(QFile::remove(zone) && ::mkfifo(QFile::encodeName(zone).constData(), 0644) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(told.size(), 1, 5000);
    QVERIFY(told.at(0).at(0).toString().contains(QStringLiteral("is not read again: it is not a regular file")));
    QCOMPARE(power().wake.secs, london - 3600);
}

void TestPower::wakeProgramsAnswerToTheLastRequestCounts()
{
    // A stand-in: the first request is set; the second refused, with a late "set" for the first after it.
    QTemporaryDir dir;
    QFile program(dir.filePath(QStringLiteral("wake")));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write(
        "#!/bin/sh\nread id when; echo \"$id set $when\"\n"
        "read id when; echo \"$id refused the time is not in the future\"; echo \"$((id - 1)) set 1\"\ncat\n");
    program.close();
    QVERIFY(program.setPermissions(program.permissions() | QFileDevice::ExeOwner));
    WakeProgramAlarm alarm(program.fileName());
    alarm.set(QDateTime::currentDateTime().addSecs(600));
    QTRY_VERIFY(alarm.canWake());
    alarm.set(QDateTime::currentDateTime());
    QTRY_VERIFY(!alarm.canWake());
    QTest::qWait(300);
    QVERIFY(!alarm.canWake());
}

QTEST_MAIN(TestPower)
#include "TestPower.moc"
