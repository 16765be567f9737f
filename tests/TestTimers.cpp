#include "controls/SecondTicker.h"
#include "controls/TickPlanner.h"
#include "controls/Timer.h"
#include "mock/FakeClock.h"
#include "platform/WallClockTimer.h"

#include <QTest>
#include <memory>

// The window timers and the one wake-up a second that the clock, match and ring check share. The
// ticker reads the time through the clock seam, so each case puts the clock where a wake-up lands.
class TestTimers : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void timerWithZeroIntervalNeverFires();
    void alignedTimersTickInPhaseOrder();
    void earlyWakeUpWaitsForTheSecond();
    void lateWakeUpTicksOnceAndRealigns();
    void disabledTimerMissesTheTick();
    void handlerDisablingALaterTimerStopsItsTick();
    void quietTickerSleepsUntilThePlannedMoment_data();
    void quietTickerSleepsUntilThePlannedMoment();

private:
    Timer* aligned(int phase);
    void wakeAt(const QTime& time);

    FakeClock m_clock;
    std::vector<std::unique_ptr<Timer>> m_timers;
    QStringList m_ticks;
};

void TestTimers::init()
{
    Clock::setInstance(&m_clock);
    m_ticks.clear();
}

void TestTimers::cleanup()
{
    SecondTicker::instance().setQuiet(false);
    SecondTicker::instance().setPlanner(nullptr);
    m_timers.clear();
    Clock::setInstance(nullptr);
}

Timer* TestTimers::aligned(int phase)
{
    m_timers.push_back(std::make_unique<Timer>());
    Timer* timer = m_timers.back().get();
    timer->setInterval(1000);
    timer->setAlignedToSecond(phase);
    connect(timer, &Timer::tick, this, [this, phase] { m_ticks << QString::number(phase); });
    return timer;
}

void TestTimers::wakeAt(const QTime& time)
{
    m_clock.set(time);
    SecondTicker::instance().wake();
}

void TestTimers::timerWithZeroIntervalNeverFires()
{
    Timer timer;
    timer.setEnabled(true);
    QCOMPARE(timer.Interval(), 0);
    int ticks = 0;
    connect(&timer, &Timer::tick, this, [&ticks] { ++ticks; });
    QTest::qWait(100);
    QCOMPARE(ticks, 0);
}

void TestTimers::alignedTimersTickInPhaseOrder()
{
    // Enabled in another order than their phases: clock, match, ring check still tick 0, 1, 2.
    for (int phase : {2, 0, 1})
        aligned(phase)->setEnabled(true);
    QVERIFY(SecondTicker::instance().pendingWakeMs() > 0);
    wakeAt(QTime(7, 0, 0, 3));
    QCOMPARE(m_ticks, QStringList({"0", "1", "2"}));
    // Next wake-up just past the coming boundary.
    QCOMPARE(SecondTicker::instance().pendingWakeMs(), 1000);
}

void TestTimers::earlyWakeUpWaitsForTheSecond()
{
    aligned(0)->setEnabled(true);
    // A wake-up 2 ms before the boundary belongs to the coming second: no tick now.
    wakeAt(QTime(6, 59, 59, 998));
    QVERIFY(m_ticks.isEmpty());
    QCOMPARE(SecondTicker::instance().pendingWakeMs(), 2 + SecondTicker::OffsetMs);
    wakeAt(QTime(7, 0, 0, 3));
    QCOMPARE(m_ticks, QStringList({"0"}));
}

void TestTimers::lateWakeUpTicksOnceAndRealigns()
{
    aligned(0)->setEnabled(true);
    // 400 ms late (a busy machine): one tick, and the next one back on the boundary.
    wakeAt(QTime(7, 0, 0, 400));
    QCOMPARE(m_ticks, QStringList({"0"}));
    QCOMPARE(SecondTicker::instance().pendingWakeMs(), 600 + SecondTicker::OffsetMs);
}

void TestTimers::disabledTimerMissesTheTick()
{
    Timer* clock = aligned(0);
    Timer* match = aligned(1);
    clock->setEnabled(true);
    match->setEnabled(true);
    match->setEnabled(false);
    QVERIFY(!SecondTicker::instance().isSubscribed(match));
    wakeAt(QTime(7, 0, 1, 3));
    QCOMPARE(m_ticks, QStringList({"0"}));
    clock->setEnabled(false);
    // Nobody left to wake: the ticker stops waking the program.
    QCOMPARE(SecondTicker::instance().pendingWakeMs(), -1);
}

void TestTimers::handlerDisablingALaterTimerStopsItsTick()
{
    Timer* match = aligned(1);
    Timer* ring = aligned(2);
    match->setEnabled(true);
    ring->setEnabled(true);
    connect(match, &Timer::tick, ring, [ring] { ring->setEnabled(false); });
    wakeAt(QTime(7, 0, 2, 3));
    QCOMPARE(m_ticks, QStringList({"1"}));
}

void TestTimers::quietTickerSleepsUntilThePlannedMoment_data()
{
    QTest::addColumn<QTime>("needed"); // the planner's answer at 07:00:00.100; invalid for none
    QTest::addColumn<QTime>("wakeAt");
    QTest::addRow("a moment ahead") << QTime(7, 3, 0) << QTime(7, 3, 0, 3);
    QTest::addRow("every second") << QTime(7, 0, 0, 100) << QTime(7, 0, 1, 3);
    QTest::addRow("nothing foreseen") << QTime() << QTime(7, 5, 0, 3);
    QTest::addRow("beyond the longest wait") << QTime(9, 0, 0) << QTime(7, 5, 0, 3);
}

void TestTimers::quietTickerSleepsUntilThePlannedMoment()
{
    QFETCH(QTime, needed);
    QFETCH(QTime, wakeAt);
    struct : TickPlanner {
        QDateTime needed;
        QDateTime nextTickNeeded(const QDateTime&) const override { return needed; }
    } planner;
    m_clock.set(QTime(7, 0, 0, 100));
    planner.needed = needed.isValid() ? QDateTime(m_clock.now().date(), needed) : QDateTime();
    SecondTicker& ticker = SecondTicker::instance();
    ticker.setPlanner(&planner);
    aligned(0)->setEnabled(true);
    ticker.setQuiet(true);
    QCOMPARE(ticker.pendingWakeMs(), -1);
    QCOMPARE(ticker.quietWakeAt().time(), wakeAt);
    // A clock set while it sleeps (as the wall-clock timer reports it) ticks at once; ticking each
    // second, the next tick sees it.
    emit ticker.findChild<WallClockTimer*>()->clockSet();
    QCOMPARE(m_ticks, QStringList{"0"});
    ticker.setQuiet(false);
    QVERIFY(!ticker.quietWakeAt().isValid());
    ticker.clockChanged();
    QCOMPARE(m_ticks, QStringList{"0"});
}

QTEST_GUILESS_MAIN(TestTimers)
#include "TestTimers.moc"
