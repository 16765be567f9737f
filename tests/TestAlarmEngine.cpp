#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "alarm/SnoozeLength.h"
#include "alarm/SnoozeMinutes.h"
#include "alarm/UnansweredRing.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "app/ScriptCommand.h"
#include "controls/MessageBox.h"
#include "controls/SecondTicker.h"
#include "core/ExecutableFolder.h"
#include "core/TimeText.h"
#include "dialogs/Form3.h"
#include "mock/DesktopDoubles.h"
#include "platform/SystemSound.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

class TestAlarmEngine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void timeText_data();
    void timeText();
    void clockTickShowsTheTime();
    void match_data();
    void match();
    void lateTickCatchesUp_data();
    void lateTickCatchesUp();
    void disarmedMatchIsNotKept();
    void ringEffectsInOrder();
    void soundStartsAheadOfTheRingOnly();
    void ringCheckStaysOffAfterRing();

    void fadeFromBottomTakes2997Ticks();
    void fadeNearTopRunsOneStep_data();
    void fadeNearTopRunsOneStep();
    void onNeedsASound();
    void soundIsPreparedOnlyWhileArmed();
    void onOffOnStillRings();
    void offWhileRingingSilencesAtOnce();
    void offEndsSnoozeAndFade();
    void sleepButtonOnlyAfterRing();
    void snoozeReRingsAfterTheMinutes();
    void secondSleepDoesNotRestart();
    void shorterSnoozeReRingsAtNextTick();
    void snoozeLengthIsClamped_data();
    void snoozeLengthIsClamped();
    void reRingPlaysRestoredSound();
    void buttonAndMenuChooseAlike();
    void cancelKeepsTheSound();
    void unplayableFileFallsBackToTone();
    void noOutputDeviceDoesNotLoop();
    void soundChosenWhileRingingIsForTheNextRing();

    void onArmsOnlyTimesThatCanRing_data();
    void onArmsOnlyTimesThatCanRing();
    void pastedLineBreakNeverEntersTheBox();
    void statusTellsTheTruthWhileArmed();
    void missedAlarmIsToldAndRingsTheNextDay();
    void snoozeCountsTheWallClock();
    void unansweredRingSnoozesThriceThenEnds();
    void unansweredRingCountsRingingTime();
    void triedSoundEndsByItselfAfterThirtySeconds();
    void staleErrorAfterOffStartsNothing();
    void hiddenWindowWakesOnlyForWhatMatters();
    void hiddenWindowAcrossAClockJump_data();
    void hiddenWindowAcrossAClockJump();
    void hiddenWindowAcrossASkippedHour();

private:
    Form1& form() { return Forms::form1(); }
    AlarmEngine& engine() { return form().engine(); }
    void arm(const QString& alarm, const QString& sound = QStringLiteral("/sounds/wake.mp3"));
    void ringAt(const QTime& time);
    void ringFor(int ticks);
    // Hidden, the ticker sleeps until the moment it planned: the clock is put there and it wakes.
    QTime wakeHidden();

    DesktopDoubles m_desk;
    QString m_soundFile;
};

void TestAlarmEngine::initTestCase()
{
    // Before any case or double resets it: the length a fresh program starts with.
    QCOMPARE(SnoozeMinutes, qint16(1));
    QVERIFY(m_desk.dir.isValid());
    // The player refuses files that do not exist, so the tests' sound is real (if silent) data.
    m_soundFile = m_desk.dir.filePath(QStringLiteral("wake.mp3"));
    QFile file(m_soundFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("ID3");
}

void TestAlarmEngine::init()
{
    m_desk.reset();
    m_desk.clock.set(QTime(7, 0, 0));
}

void TestAlarmEngine::cleanup()
{
    m_desk.closeAllWindows();
}

void TestAlarmEngine::arm(const QString& alarm, const QString& sound)
{
    engine().SoundPath = sound == QLatin1String("/sounds/wake.mp3") ? m_soundFile : sound;
    form().Text2()->setText(alarm);
    engine().Command1_Click();
    QVERIFY(form().Command2()->isEnabled());
}

void TestAlarmEngine::ringAt(const QTime& time)
{
    m_desk.clock.set(time);
    engine().Timer3_Timer();
    engine().Timer1_Timer();
    QVERIFY(form().Timer5()->Enabled());
}

void TestAlarmEngine::timeText_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");
    QTest::addRow("midnight") << QTime(0, 0, 0) << "00:00:00";
    QTest::addRow("just before midnight") << QTime(23, 59, 59) << "23:59:59";
    QTest::addRow("noon") << QTime(12, 0, 0) << "12:00:00";
    QTest::addRow("just after noon") << QTime(12, 0, 1) << "12:00:01";
    QTest::addRow("single digits") << QTime(9, 5, 7) << "09:05:07";
}

void TestAlarmEngine::timeText()
{
    QFETCH(QTime, time);
    QFETCH(QString, text);
    QCOMPARE(TimeText::of(time), text);
}

void TestAlarmEngine::clockTickShowsTheTime()
{
    m_desk.clock.set(QTime(23, 59, 59));
    engine().Timer4_Timer();
    QCOMPARE(form().Text1()->text(), QStringLiteral("23:59:59"));
    m_desk.clock.advance(1);
    engine().Timer4_Timer();
    QCOMPARE(form().Text1()->text(), QStringLiteral("00:00:00"));
}

void TestAlarmEngine::match_data()
{
    QTest::addColumn<QString>("alarm");
    QTest::addColumn<bool>("due");
    QTest::addRow("exact") << "07:30:00" << true;
    QTest::addRow("no leading zero") << "7:30:00" << false;
    QTest::addRow("no seconds") << "07:30" << false;
    QTest::addRow("trailing blank") << "07:30:00 " << false;
    QTest::addRow("leading blank") << " 07:30:00" << false;
    QTest::addRow("a second off") << "07:30:01" << false;
}

void TestAlarmEngine::match()
{
    QFETCH(QString, alarm);
    QFETCH(bool, due);
    // Armed with a good time, then the box edited: only an exact time of day still rings.
    arm(QStringLiteral("07:30:00"));
    form().Text2()->setText(alarm);
    m_desk.clock.set(QTime(7, 29, 59));
    engine().Timer3_Timer();
    m_desk.clock.set(QTime(7, 30, 0));
    engine().Timer3_Timer();
    QCOMPARE(engine().AlarmDue, due);
    QCOMPARE(form().Timer3()->Enabled(), !due);
}

void TestAlarmEngine::lateTickCatchesUp_data()
{
    QTest::addColumn<QTime>("previousTick");
    QTest::addColumn<QTime>("lateTick");
    QTest::addColumn<QString>("alarm");
    QTest::addColumn<bool>("due");
    QTest::addRow("skipped one second") << QTime(7, 29, 59) << QTime(7, 30, 1) << "07:30:00" << true;
    QTest::addRow("stalled 15 s") << QTime(7, 29, 50) << QTime(7, 30, 5) << "07:30:00" << true;
    QTest::addRow("asleep 9 min") << QTime(7, 25, 0) << QTime(7, 34, 0) << "07:30:00" << true;
    QTest::addRow("asleep an hour, alarm 10 min back") << QTime(6, 30, 0) << QTime(7, 30, 0) << "07:20:00" << true;
    QTest::addRow("asleep an hour, alarm 11 min back") << QTime(6, 30, 0) << QTime(7, 30, 0) << "07:19:00" << false;
    QTest::addRow("seen at the previous tick already") << QTime(7, 30, 0) << QTime(7, 30, 3) << "07:30:00" << false;
    QTest::addRow("ticks a little under a second apart")
        << QTime(7, 29, 59, 500) << QTime(7, 30, 0, 498) << "07:30:00" << true;
    QTest::addRow("across midnight") << QTime(23, 59, 58) << QTime(0, 0, 2) << "00:00:00" << true;
}

void TestAlarmEngine::lateTickCatchesUp()
{
    QFETCH(QTime, previousTick);
    QFETCH(QTime, lateTick);
    QFETCH(QString, alarm);
    QFETCH(bool, due);
    const QDateTime day(QDate(2026, 1, 5), previousTick);
    m_desk.clock.set(day);
    arm(alarm);
    engine().Timer3_Timer();
    engine().AlarmDue = false; // only the late tick is under test
    form().Timer3()->setEnabled(true);
    QDateTime late(day.date(), lateTick);
    if (lateTick < previousTick)
        late = late.addDays(1);
    m_desk.clock.set(late);
    engine().Timer3_Timer();
    QCOMPARE(engine().AlarmDue, due);
}

void TestAlarmEngine::disarmedMatchIsNotKept()
{
    form().Text2()->setText(QStringLiteral("07:30:00"));
    engine().SoundPath = m_soundFile;
    m_desk.clock.set(QTime(7, 30, 0));
    engine().Timer3_Timer();
    QVERIFY(!engine().AlarmDue);
    QVERIFY(form().Timer3()->Enabled());
    // Arming in the evening for a time that passed in the morning must not ring at once.
    m_desk.clock.set(QTime(19, 0, 0));
    engine().Command1_Click();
    engine().Timer3_Timer();
    engine().Timer1_Timer();
    QVERIFY(m_desk.player->playing.isEmpty());
    QVERIFY(!form().Command3()->isEnabled());
}

void TestAlarmEngine::ringEffectsInOrder()
{
    form().hide();
    arm(QStringLiteral("07:30:00"));
    engine().SnoozeCount = 7;
    m_desk.player->events.clear();
    ringAt(QTime(7, 30, 0));
    QCOMPARE(engine().SnoozeCount, qint16(0));
    // The alarm sound before anything else the ring does; it repeats until the user acts.
    QCOMPARE(m_desk.player->events, QStringList({"start " + m_soundFile, "loop", "system-sound " + m_soundFile}));
    QVERIFY(form().Command3()->isEnabled());
    QVERIFY(form().isVisible());
    QCOMPARE(form().MediaPlayer1()->FileName(), m_soundFile);
    QVERIFY(!form().Timer1()->Enabled());
    QVERIFY(form().Timer5()->Enabled());
    // The ring leaves the alarm armed and due.
    QVERIFY(engine().AlarmDue);
    QVERIFY(form().Command2()->isEnabled());
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
}

void TestAlarmEngine::soundStartsAheadOfTheRingOnly()
{
    arm(QStringLiteral("07:30:00"));
    m_desk.player->events.clear();
    // The tick a second before: the sound is started so that it is heard at the second itself.
    m_desk.clock.set(QTime(7, 29, 58));
    engine().Timer3_Timer();
    QVERIFY(m_desk.player->events.isEmpty());
    m_desk.clock.set(QTime(7, 29, 59, 400));
    engine().Timer3_Timer();
    engine().Timer3_Timer();
    QCOMPARE(m_desk.player->events, QStringList{"start-ahead " + m_soundFile + " at 07:30:00.000"});
    ringAt(QTime(7, 30, 0));
    QCOMPARE(m_desk.player->events.mid(1, 2), (QStringList{"start " + m_soundFile, "loop"}));
    // A new alarm text or OFF before the second calls it off.
    engine().Command2_Click();
    engine().Command1_Click();
    m_desk.clock.set(QTime(7, 29, 59));
    engine().Timer3_Timer();
    m_desk.player->events.clear();
    form().Text2()->setText(QStringLiteral("08:00:00"));
    QCOMPARE(m_desk.player->events, QStringList{"call off"});
    form().Text2()->setText(QStringLiteral("07:30:00"));
    engine().Timer3_Timer();
    m_desk.player->events.clear();
    engine().Command2_Click();
    QCOMPARE(m_desk.player->events.first(), QStringLiteral("call off"));
}

void TestAlarmEngine::ringCheckStaysOffAfterRing()
{
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    engine().Command2_Click();
    QVERIFY(!form().Timer1()->Enabled());
    engine().Command1_Click();
    QVERIFY(form().Timer1()->Enabled());
}

void TestAlarmEngine::fadeFromBottomTakes2997Ticks()
{
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    QScrollBar* bar = form().HScroll1();
    QCOMPARE(bar->value(), -3000);
    int ticks = 0;
    while (form().Timer5()->Enabled() && ticks < 5000) {
        engine().Timer5_Timer();
        ++ticks;
        QCOMPARE(form().MediaPlayer1()->Volume(), bar->value());
        QCOMPARE(m_desk.player->gain, MediaPlayer::gainFor(bar->value()));
    }
    QCOMPARE(ticks, 2997);
    QCOMPARE(bar->value(), -3);
}

void TestAlarmEngine::fadeNearTopRunsOneStep_data()
{
    QTest::addColumn<int>("start");
    for (int v : {-5, -4, -3, -2, -1, 0})
        QTest::addRow("%d", v) << v;
}

void TestAlarmEngine::fadeNearTopRunsOneStep()
{
    QFETCH(int, start);
    form().HScroll1()->setValue(start);
    form().Timer5()->setEnabled(true);
    engine().Timer5_Timer();
    const bool oneStep = start > -5;
    QCOMPARE(form().Timer5()->Enabled(), !oneStep);
    // Never above the bar's top.
    QCOMPARE(form().HScroll1()->value(), qMin(start + 1, 0));
    QCOMPARE(form().MediaPlayer1()->Volume(), qMin(start + 1, 0));
}

void TestAlarmEngine::onNeedsASound()
{
    form().Command1()->click();
    QCOMPARE(m_desk.boxes.size(), 1);
    QCOMPARE(m_desk.boxes[0].text, QStringLiteral("Please Choose A Sound For The Alarm"));
    QCOMPARE(m_desk.boxes[0].caption, QStringLiteral("Kestrune"));
    QCOMPARE(m_desk.boxes[0].icon, QMessageBox::Information);
    QVERIFY(form().Command1()->isEnabled());
    QVERIFY(!form().Command2()->isEnabled());
    QCOMPARE(form().Text5()->text(), QStringLiteral("Not Set"));

    engine().SoundPath = QStringLiteral("anything at all");
    form().Text2()->setText(QStringLiteral("07:30:00"));
    form().Command1()->click();
    QCOMPARE(m_desk.boxes.size(), 1);
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
    QVERIFY(!form().Command1()->isEnabled());
}

void TestAlarmEngine::soundIsPreparedOnlyWhileArmed()
{
    // Chosen while disarmed: nothing is prepared, a ring may never come.
    CommonDialog::answerNextOpen(m_soundFile);
    engine().Command4_Click();
    QCOMPARE(engine().SoundPath, m_soundFile);
    QVERIFY(m_desk.player->events.filter(QStringLiteral("prepare")).isEmpty());
    // ON prepares the sound, so the ring only has to start it.
    form().Text2()->setText(QStringLiteral("07:30:00"));
    engine().Command1_Click();
    QCOMPARE(m_desk.player->events.filter(QStringLiteral("prepare")), QStringList({"prepare " + m_soundFile}));
    // Another sound chosen while armed replaces what was prepared.
    const QString other = m_desk.dir.filePath(QStringLiteral("other.mp3"));
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("ID3");
    file.close();
    CommonDialog::answerNextOpen(other);
    m_desk.clock.set(QTime(7, 0, 0));
    engine().sound_Click();
    QCOMPARE(m_desk.player->events.filter(QStringLiteral("prepare")).last(), "prepare " + other);
    // Far from the ring, once found fine (and only while an output is there), what plays it rests;
    // half a minute ahead it is prepared again, and the ring plays it.
    const auto tickAt = [this](const QTime& time) {
        m_desk.clock.set(time);
        engine().Timer3_Timer();
    };
    m_desk.player->events.clear();
    tickAt(QTime(7, 0, 9));
    m_desk.player->outputProblem = QStringLiteral("no audio output device");
    tickAt(QTime(7, 0, 15));
    QVERIFY(m_desk.player->events.isEmpty());
    m_desk.player->outputProblem.clear();
    tickAt(QTime(7, 0, 16));
    tickAt(QTime(7, 29, 29));
    QCOMPARE(m_desk.player->events, QStringList{QStringLiteral("release")});
    tickAt(QTime(7, 29, 30));
    QCOMPARE(m_desk.player->events.last(), "prepare " + other);
    ringAt(QTime(7, 30, 0));
    QCOMPARE(m_desk.player->playing, other);
}

void TestAlarmEngine::onOffOnStillRings()
{
    arm(QStringLiteral("07:30:00"));
    engine().Command2_Click();
    engine().Command1_Click();
    ringAt(QTime(7, 30, 0));
    QCOMPARE(m_desk.player->playing, m_soundFile);
}

void TestAlarmEngine::offWhileRingingSilencesAtOnce()
{
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    for (int i = 0; i < 500; ++i)
        engine().Timer5_Timer();
    engine().Command2_Click();
    QVERIFY(m_desk.player->playing.isEmpty());
    QCOMPARE(m_desk.player->events.mid(m_desk.player->events.size() - 2), (QStringList{"stop", "release"}));
    QCOMPARE(form().HScroll1()->value(), -3000);
    QCOMPARE(form().MediaPlayer1()->Volume(), -3000);
    QCOMPARE(form().Text5()->text(), QStringLiteral("Not Set"));
    QVERIFY(form().Command1()->isEnabled());
    QVERIFY(!engine().AlarmDue);
    QVERIFY(form().Timer3()->Enabled());
}

void TestAlarmEngine::offEndsSnoozeAndFade()
{
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    engine().Command3_Click();
    QVERIFY(form().Timer6()->Enabled());
    engine().Command2_Click();
    QVERIFY(!form().Timer5()->Enabled());
    QVERIFY(!form().Timer6()->Enabled());
    QVERIFY(!form().Command3()->isEnabled());
    // The next ring starts from the bottom, not where a stray fade left the bar.
    engine().Command1_Click();
    m_desk.clock.set(QTime(7, 29, 0));
    form().Timer3()->setEnabled(true);
    engine().Timer3_Timer();
    ringAt(QTime(7, 30, 0));
    QCOMPARE(form().HScroll1()->value(), -3000);
}

void TestAlarmEngine::sleepButtonOnlyAfterRing()
{
    QVERIFY(!form().Command3()->isEnabled());
    arm(QStringLiteral("07:30:00"));
    QVERIFY(!form().Command3()->isEnabled());
    ringAt(QTime(7, 30, 0));
    QVERIFY(form().Command3()->isEnabled());
}

void TestAlarmEngine::snoozeReRingsAfterTheMinutes()
{
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    for (int i = 0; i < 300; ++i)
        engine().Timer5_Timer();
    engine().Command3_Click();
    engine().Timer6_Timer();
    QVERIFY(m_desk.player->playing.isEmpty());
    QCOMPARE(form().HScroll1()->value(), -3000);
    QVERIFY(!engine().AlarmDue);
    for (int tick = 2; tick < 60; ++tick) {
        engine().Timer6_Timer();
        QVERIFY2(m_desk.player->playing.isEmpty(), qPrintable(QString::number(tick)));
    }
    form().hide();
    engine().Timer6_Timer(); // the 60th
    QCOMPARE(m_desk.player->playing, m_soundFile);
    QCOMPARE(form().HScroll1()->value(), -3000);
    QVERIFY(form().Timer5()->Enabled());
    QVERIFY(!form().Timer6()->Enabled());
    QVERIFY(!form().Timer1()->Enabled());
    QVERIFY(form().isVisible());
    QCOMPARE(engine().SnoozeCount, qint16(0));
}

void TestAlarmEngine::secondSleepDoesNotRestart()
{
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    engine().Command3_Click();
    for (int i = 0; i < 30; ++i)
        engine().Timer6_Timer();
    engine().Command3_Click();
    QCOMPARE(engine().SnoozeCount, qint16(30));
    for (int i = 0; i < 30; ++i)
        engine().Timer6_Timer();
    QCOMPARE(m_desk.player->playing, m_soundFile);

    // On a clock that runs ahead of the ticks (a suspend), a second Sleep keeps the first one's start.
    SnoozeMinutes = 1;
    engine().Command3_Click();
    for (int i = 0; i < 29; ++i) {
        m_desk.clock.advance(2);
        engine().Timer6_Timer();
        if (i == 9)
            engine().Command3_Click();
    }
    QVERIFY(m_desk.player->playing.isEmpty());
    m_desk.clock.advance(2);
    engine().Timer6_Timer();
    QCOMPARE(m_desk.player->playing, m_soundFile);
}

void TestAlarmEngine::shorterSnoozeReRingsAtNextTick()
{
    SnoozeMinutes = 5;
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    engine().Command3_Click();
    for (int i = 0; i < 90; ++i)
        engine().Timer6_Timer();
    QVERIFY(m_desk.player->playing.isEmpty());
    SnoozeMinutes = 1;
    engine().Timer6_Timer();
    QCOMPARE(m_desk.player->playing, m_soundFile);
}

void TestAlarmEngine::snoozeLengthIsClamped_data()
{
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addRow("1") << 1 << 60;
    QTest::addRow("30") << 30 << 1800;
    QTest::addRow("546") << 546 << 32760;
    QTest::addRow("547") << 547 << 32760;
    QTest::addRow("32767") << 32767 << 32760;
    QTest::addRow("0") << 0 << 0;
    QTest::addRow("-32768") << -32768 << -32760;
}

void TestAlarmEngine::snoozeLengthIsClamped()
{
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QCOMPARE(int(SnoozeLength::seconds(minutes)), seconds);
}

void TestAlarmEngine::reRingPlaysRestoredSound()
{
    // As after a start that restored the sound: the dialog was never used.
    QVERIFY(form().CommonDialog1()->FileName().isEmpty());
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    SnoozeMinutes = 0;
    engine().Command3_Click();
    engine().Timer6_Timer();
    QCOMPARE(m_desk.player->playing, m_soundFile);
}

void TestAlarmEngine::buttonAndMenuChooseAlike()
{
    const QString first = m_desk.dir.filePath(QStringLiteral("first.mp3"));
    const QString second = m_desk.dir.filePath(QStringLiteral("second.mp3"));
    CommonDialog::answerNextOpen(first);
    engine().Command4_Click();
    QCOMPARE(engine().SoundPath, first);
    const CommonDialog::OpenRequest byButton = CommonDialog::lastOpenRequest();
    CommonDialog::answerNextOpen(second);
    form().sound()->trigger();
    QCOMPARE(engine().SoundPath, second);
    const CommonDialog::OpenRequest byMenu = CommonDialog::lastOpenRequest();
    QCOMPARE(byButton.filter,
             QStringLiteral("Sound Files (*.mp3)| *.mp3|All Sound Files| *.mp3;*.ogg;*.oga;*.opus;*.flac;*.wav"));
    QCOMPARE(byMenu.filter, byButton.filter);
    QCOMPARE(byButton.initDir, m_desk.dir.path());
    QCOMPARE(byMenu.initDir, m_desk.dir.path());
    // Choosing never plays.
    QVERIFY(m_desk.player->playing.isEmpty());
    // The MP3 filter comes first, so the dialog opens with it.
    QCOMPARE(CommonDialog::qtFilters(byButton.filter),
             (QStringList{QStringLiteral("Sound Files (*.mp3)"),
                          QStringLiteral("All Sound Files (*.mp3 *.ogg *.oga *.opus *.flac *.wav)")}));
}

void TestAlarmEngine::cancelKeepsTheSound()
{
    engine().SoundPath = QStringLiteral("/restored/from/settings.mp3");
    CommonDialog::answerNextOpen(std::nullopt);
    engine().Command4_Click();
    QCOMPARE(engine().SoundPath, QStringLiteral("/restored/from/settings.mp3"));
    const QString chosen = m_desk.dir.filePath(QStringLiteral("chosen.mp3"));
    CommonDialog::answerNextOpen(chosen);
    engine().Command4_Click();
    CommonDialog::answerNextOpen(std::nullopt);
    engine().sound_Click();
    QCOMPARE(engine().SoundPath, chosen);
}

void TestAlarmEngine::unplayableFileFallsBackToTone()
{
    m_desk.player->unplayable << m_soundFile;
    arm(QStringLiteral("07:30:00"));
    // Told at ON, and armed all the same.
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(),
             QStringLiteral("wake.mp3 cannot be played; the built-in tone will ring - Right C"));
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
    ringAt(QTime(7, 30, 0));
    QTRY_COMPARE(m_desk.player->playing, MediaPlayer::builtInTonePath());
    QVERIFY(m_desk.player->events.contains(QStringLiteral("loop")));
    // Same volume and fade as the file would have had.
    QCOMPARE(form().MediaPlayer1()->Volume(), -3000);
    QVERIFY(form().Timer5()->Enabled());
    // The file the player gets is the whole tone from the resources.
    QFile copy(MediaPlayer::builtInTonePath());
    QFile tone(QStringLiteral(":/sounds/alarm-tone.mp3"));
    QVERIFY(copy.open(QIODevice::ReadOnly) && tone.open(QIODevice::ReadOnly));
    QVERIFY(tone.size() > 0);
    QCOMPARE(copy.readAll(), tone.readAll());

    // A missing file too, and at the re-ring.
    engine().Command2_Click();
    arm(QStringLiteral("08:00:00"), m_desk.dir.filePath(QStringLiteral("deleted.mp3")));
    form().Timer3()->setEnabled(true);
    m_desk.clock.set(QTime(7, 59, 59));
    engine().Timer3_Timer();
    ringAt(QTime(8, 0, 0));
    QTRY_COMPARE(m_desk.player->playing, MediaPlayer::builtInTonePath());
    SnoozeMinutes = 0;
    engine().Command3_Click();
    engine().Timer6_Timer();
    QTRY_COMPARE(m_desk.player->playing, MediaPlayer::builtInTonePath());
}

void TestAlarmEngine::noOutputDeviceDoesNotLoop()
{
    m_desk.player->outputProblem = QStringLiteral("no audio output device");
    arm(QStringLiteral("07:30:00"));
    // Said at ON, not first at the ring.
    QVERIFY(m_desk.tray.calls.last().data.shownTip().startsWith(QStringLiteral("No sound output")));
    ringAt(QTime(7, 30, 0));
    QTest::qWait(50);
    const int starts = m_desk.player->events.filter(QStringLiteral("start")).size();
    QCOMPARE(starts, 0);
    // The desktop's sound and the window are what is left, and the user is told.
    QVERIFY(m_desk.player->events.contains(QStringLiteral("system-sound ") + m_soundFile));
    QVERIFY(form().isVisible());
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(),
             QStringLiteral("No sound output: no audio output device - Right Click For Option"));
    // The output comes back during the ring: the user's own file, not the tone.
    m_desk.player->outputProblem.clear();
    m_desk.player->current->onOutputBack();
    QCOMPARE(m_desk.player->playing, m_soundFile);
    QVERIFY(m_desk.tray.calls.last().data.shownTip().startsWith(QStringLiteral("Right Click For Options")));
    // Lost again while nothing fails to play (found by the sound process on its own): told at once.
    m_desk.player->outputProblem = QStringLiteral("no audio output device");
    m_desk.player->current->onOutputLost();
    QVERIFY(m_desk.tray.calls.last().data.shownTip().startsWith(QStringLiteral("No sound output")));
}

void TestAlarmEngine::soundChosenWhileRingingIsForTheNextRing()
{
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    const QString chosen = m_desk.dir.filePath(QStringLiteral("chosen.mp3"));
    QFile(chosen).open(QIODevice::WriteOnly);
    m_desk.player->unplayable << chosen;
    CommonDialog::answerNextOpen(chosen);
    engine().Command4_Click();
    QCOMPARE(m_desk.player->playing, m_soundFile);
    // The ringing file failing now is still the ring's failure: the tone, never silence.
    m_desk.player->current->onError(m_soundFile, QStringLiteral("cut short"), PlayerBackend::Fault::File);
    QTRY_COMPARE(m_desk.player->playing, MediaPlayer::builtInTonePath());
    SnoozeMinutes = 0;
    engine().Command3_Click();
    engine().Timer6_Timer();
    QTRY_COMPARE(m_desk.player->events.filter(QStringLiteral("start ")).at(2), "start " + chosen);
}

void TestAlarmEngine::onArmsOnlyTimesThatCanRing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("armedWith"); // empty: refused
    QTest::addRow("valid") << "07:30:00"
                           << "07:30:00";
    QTest::addRow("blanks around") << "  07:30:00 "
                                   << "07:30:00";
    QTest::addRow("trailing line break") << "07:30:00\r\n"
                                         << "07:30:00";
    QTest::addRow("hour 24") << "24:00:00"
                             << "";
    QTest::addRow("minute 60") << "07:60:00"
                               << "";
    QTest::addRow("no leading zero") << "7:30:00"
                                     << "";
    QTest::addRow("no seconds") << "07:30"
                                << "";
    QTest::addRow("empty") << ""
                           << "";
    QTest::addRow("inner blank") << "07: 30:00"
                                 << "";
    QTest::addRow("NUL inside") << QStringLiteral("07:30:00") + QChar(0) << "";
    QTest::addRow("a tab before") << "\t07:30:00"
                                  << "07:30:00";
    QTest::addRow("100 000 blanks after") << "07:30:00" + QString(100000, u' ') << "07:30:00";
    QTest::addRow("a letter after 40 000 blanks") << "07:30:00" + QString(40000, u' ') + u'X' << "";
}

void TestAlarmEngine::onArmsOnlyTimesThatCanRing()
{
    QFETCH(QString, typed);
    QFETCH(QString, armedWith);
    engine().SoundPath = m_soundFile;
    // Every way in reads the time by one rule: the box with ON, the commands the bus, the not-set
    // notice and a fresh start call, and the socket a later start writes to.
    const std::optional<SingleInstance::Request> sent = SingleInstance::decode(
        SingleInstance::encode(ScriptCommand::request(CommandLine::parse({u"kestrune"_qs, u"--set"_qs, typed}))));
    for (const QString& given : {typed, sent.value().argument}) {
        form().Text2()->setText(u"06:00:00"_qs);
        const QString refusal = form().commands().arm(given);
        QCOMPARE(refusal, armedWith.isEmpty() ? u"Please Enter The Alarm Time As HH:MM:SS"_qs : QString());
        QCOMPARE(form().Text2()->text(), armedWith.isEmpty() ? u"06:00:00"_qs : armedWith);
        engine().Command2_Click();
    }
    form().Text2()->setText(typed);
    form().Command1()->click();
    if (armedWith.isEmpty()) {
        QCOMPARE(m_desk.boxes.size(), 1);
        QCOMPARE(m_desk.boxes[0].text, QStringLiteral("Please Enter The Alarm Time As HH:MM:SS"));
        QCOMPARE(m_desk.boxes[0].caption, QStringLiteral("Kestrune"));
        QCOMPARE(m_desk.boxes[0].icon, QMessageBox::Information);
        QVERIFY(form().Command1()->isEnabled());
        QVERIFY(!form().Command2()->isEnabled());
        QCOMPARE(form().Text5()->text(), QStringLiteral("Not Set"));
        QVERIFY(m_desk.player->events.filter(QStringLiteral("prepare")).isEmpty());
        return;
    }
    QVERIFY(m_desk.boxes.isEmpty());
    QVERIFY(form().Command2()->isEnabled());
    QCOMPARE(form().Text2()->text(), armedWith);
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
}

void TestAlarmEngine::pastedLineBreakNeverEntersTheBox()
{
    TextBox* box = form().Text2();
    box->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("07:30:00\nrest of a pasted note"));
    box->paste();
    QCOMPARE(box->text(), QStringLiteral("07:30:00"));
    box->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("07:3") + QChar(0) + QStringLiteral("0:00"));
    box->paste();
    QCOMPARE(box->text(), QStringLiteral("07:3"));
}

void TestAlarmEngine::statusTellsTheTruthWhileArmed()
{
    arm(QStringLiteral("07:30:00"));
    form().Text2()->setText(QStringLiteral("07:3"));
    QCOMPARE(form().Text5()->text(), QStringLiteral("Not Set"));
    // Still armed, as the buttons say.
    QVERIFY(form().Command2()->isEnabled());
    form().Text2()->setText(QStringLiteral("07:31:00"));
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
    m_desk.clock.set(QTime(7, 30, 59));
    engine().Timer3_Timer();
    m_desk.clock.set(QTime(7, 31, 0));
    engine().Timer3_Timer();
    QVERIFY(engine().AlarmDue);
    // Disarmed, edits do not touch the status.
    engine().Command2_Click();
    form().Text2()->setText(QStringLiteral("08:00:00"));
    QCOMPARE(form().Text5()->text(), QStringLiteral("Not Set"));
}

void TestAlarmEngine::missedAlarmIsToldAndRingsTheNextDay()
{
    const QDate day(2026, 1, 5);
    m_desk.clock.set(QDateTime(day, QTime(7, 29, 0)));
    arm(QStringLiteral("07:30:00"));
    engine().Timer3_Timer();
    // The machine sleeps 12 minutes; the alarm second went by 11 minutes ago.
    m_desk.clock.set(QDateTime(day, QTime(7, 41, 0)));
    m_desk.tray.calls.clear();
    engine().Timer3_Timer();
    engine().Timer1_Timer();
    QVERIFY(!engine().AlarmDue);
    QVERIFY(m_desk.player->playing.isEmpty());
    QCOMPARE(form().Text5()->text(), QStringLiteral("Missed"));
    QVERIFY(form().Command2()->isEnabled());
    QVERIFY(!m_desk.tray.calls.isEmpty());
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(), QStringLiteral("Right Click For Options - Missed 07:30:00"));
    // Still armed for the same time: the next day's crossing rings and clears the news.
    m_desk.clock.set(QDateTime(day.addDays(1), QTime(7, 29, 59)));
    engine().Timer3_Timer();
    QCOMPARE(form().Text5()->text(), QStringLiteral("Missed"));
    ringAt(QTime(7, 30, 0));
    QCOMPARE(m_desk.player->playing, m_soundFile);
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(),
             QStringLiteral("Right Click For Options - Alarm 07:30:00, wakes this computer"));
    // OFF clears a miss as well.
    engine().Command2_Click();
    arm(QStringLiteral("09:00:00"));
    m_desk.clock.set(QDateTime(day.addDays(1), QTime(8, 59, 0)));
    engine().Timer3_Timer();
    m_desk.clock.set(QDateTime(day.addDays(1), QTime(10, 0, 0)));
    engine().Timer3_Timer();
    QCOMPARE(form().Text5()->text(), QStringLiteral("Missed"));
    engine().Command2_Click();
    QCOMPARE(form().Text5()->text(), QStringLiteral("Not Set"));
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(), QStringLiteral("Right Click For Options"));
}

void TestAlarmEngine::snoozeCountsTheWallClock()
{
    SnoozeMinutes = 5;
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    m_desk.clock.set(QTime(7, 30, 10));
    engine().Command3_Click();
    // One minute of ticks, then the machine sleeps three minutes: no ticks, the clock moves on.
    for (int i = 0; i < 60; ++i) {
        m_desk.clock.advance(1);
        engine().Timer6_Timer();
    }
    m_desk.clock.advance(180);
    QTime reRing;
    for (int i = 0; i < 400 && !reRing.isValid(); ++i) {
        m_desk.clock.advance(1);
        engine().Timer6_Timer();
        if (!m_desk.player->playing.isEmpty())
            reRing = m_desk.clock.now().time();
    }
    QCOMPARE(reRing, QTime(7, 35, 10));
}

void TestAlarmEngine::staleErrorAfterOffStartsNothing()
{
    arm(QStringLiteral("07:30:00"));
    ringAt(QTime(7, 30, 0));
    engine().Command2_Click();
    m_desk.player->events.clear();
    // A decoder's "cannot play" for the ring's file arrives after OFF.
    emit form().MediaPlayer1()->cannotPlay(m_soundFile, QStringLiteral("late"), PlayerBackend::Fault::File);
    if (m_desk.player->current && m_desk.player->current->onError)
        m_desk.player->current->onError(m_soundFile, QStringLiteral("late"), PlayerBackend::Fault::File);
    QTest::qWait(20);
    QVERIFY(m_desk.player->playing.isEmpty());
    QVERIFY(m_desk.player->events.filter(QStringLiteral("start")).isEmpty());
    QVERIFY(!engine().isPlayingBuiltInTone());
    // Nor in Sleep's silence, nor for a file no longer chosen.
    arm(QStringLiteral("08:00:00"));
    form().Timer3()->setEnabled(true);
    m_desk.clock.set(QTime(7, 59, 59));
    engine().Timer3_Timer();
    ringAt(QTime(8, 0, 0));
    engine().Command3_Click();
    engine().Timer6_Timer();
    emit form().MediaPlayer1()->cannotPlay(m_soundFile, QStringLiteral("late"), PlayerBackend::Fault::File);
    QVERIFY(m_desk.player->playing.isEmpty());
    engine().SoundPath = m_desk.dir.filePath(QStringLiteral("other.mp3"));
    emit form().MediaPlayer1()->cannotPlay(m_soundFile, QStringLiteral("late"), PlayerBackend::Fault::File);
    QVERIFY(m_desk.player->playing.isEmpty());
}

QTime TestAlarmEngine::wakeHidden()
{
    SecondTicker& ticker = SecondTicker::instance();
    const QDateTime at = ticker.quietWakeAt();
    if (!at.isValid())
        return QTime();
    m_desk.clock.set(at);
    ticker.wake();
    return at.time();
}

void TestAlarmEngine::hiddenWindowWakesOnlyForWhatMatters()
{
    SecondTicker& ticker = SecondTicker::instance();
    arm(QStringLiteral("07:30:00"));
    form().hide();
    QVERIFY(ticker.isQuiet());
    // Shown again, the clock is current before anything is drawn, and ticks each second.
    m_desk.clock.set(QTime(7, 0, 5));
    form().show();
    QCOMPARE(form().Text1()->text(), QStringLiteral("07:00:05"));
    QVERIFY(!ticker.isQuiet());
    QVERIFY(ticker.pendingWakeMs() > 0);
    form().hide();
    // Prepared at ON and let go once settled; the longest wait; made ready half a minute ahead,
    // started ahead at the second before, and rung at the second.
    QList<QTime> wakes;
    while (!form().isVisible() && wakes.size() < 20)
        wakes << wakeHidden();
    QCOMPARE(wakes, (QList<QTime>{QTime(7, 0, 11, 3), QTime(7, 5, 11, 3), QTime(7, 10, 11, 3), QTime(7, 15, 11, 3),
                                  QTime(7, 20, 11, 3), QTime(7, 25, 11, 3), QTime(7, 29, 30, 3), QTime(7, 29, 59, 3),
                                  QTime(7, 30, 0, 3)}));
    QCOMPARE(m_desk.player->events.count(QStringLiteral("release")), 1);
    QVERIFY(m_desk.player->events.contains("start-ahead " + m_soundFile + " at 07:30:00.000"));
    QCOMPARE(m_desk.player->playing, m_soundFile);
    // Ringing, the unanswered count wants every second.
    QVERIFY(!ticker.isQuiet());
    // Disarmed and hidden, nothing is foreseen: only the longest wait.
    engine().Command2_Click();
    form().hide();
    QCOMPARE(ticker.quietWakeAt(), m_desk.clock.now().addSecs(SecondTicker::LongestQuietSeconds));
}

void TestAlarmEngine::hiddenWindowAcrossAClockJump_data()
{
    QTest::addColumn<QTime>("setTo");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("rings");
    QTest::addColumn<QTime>("nextWake");
    QTest::addRow("on past the alarm") << QTime(7, 34, 0) << "Alarm Set" << true << QTime();
    QTest::addRow("on past the catch-up") << QTime(7, 45, 0) << "Missed" << false << QTime(7, 50, 0, 3);
    QTest::addRow("into the last half minute") << QTime(7, 29, 45) << "Alarm Set" << false << QTime(7, 29, 59, 3);
    QTest::addRow("back") << QTime(7, 27, 0) << "Alarm Set" << false << QTime(7, 29, 30, 3);
}

void TestAlarmEngine::hiddenWindowAcrossAClockJump()
{
    QFETCH(QTime, setTo);
    QFETCH(QString, status);
    QFETCH(bool, rings);
    QFETCH(QTime, nextWake);
    arm(QStringLiteral("07:30:00"));
    form().hide();
    wakeHidden();
    // Set while the ticker sleeps: it looks at the clock at once, as a late tick.
    m_desk.clock.set(setTo);
    SecondTicker::instance().clockChanged();
    QCOMPARE(form().Text5()->text(), status);
    QCOMPARE(m_desk.player->playing.isEmpty(), !rings);
    QCOMPARE(SecondTicker::instance().quietWakeAt().time(), nextWake);
}

void TestAlarmEngine::hiddenWindowAcrossASkippedHour()
{
    const QByteArray zone = qgetenv("TZ");
    const auto restore = qScopeGuard([zone] {
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        ::tzset();
    });
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    // 02:00 becomes 03:00 that night: an alarm at 02:30:00 rings when the clock passes it, at the change.
    m_desk.clock.set(QDateTime(QDate(2026, 3, 29), QTime(1, 0, 0)));
    arm(QStringLiteral("02:30:00"));
    form().hide();
    QTime rung;
    for (int i = 0; i < 30 && !form().isVisible(); ++i)
        rung = wakeHidden();
    QCOMPARE(rung, QTime(3, 0, 0, 3));
    QCOMPARE(m_desk.player->playing, m_soundFile);
}

QTEST_MAIN(TestAlarmEngine)
#include "TestAlarmEngine.moc"

void TestAlarmEngine::ringFor(int ticks)
{
    for (int i = 0; i < ticks; ++i)
        engine().Timer4_Timer();
}

void TestAlarmEngine::unansweredRingSnoozesThriceThenEnds()
{
    // What the user meets: ten minutes of ringing, a snooze, three times over, then silence.
    constexpr int TenMinutes = 10 * 60;
    const QDate day(2026, 1, 5);
    m_desk.clock.set(QDateTime(day, QTime(7, 29, 59)));
    arm(QStringLiteral("07:30:00"));
    engine().Timer3_Timer();
    ringAt(QTime(7, 30, 0));
    // Counted in time that passed ringing: a clock set back an hour, or on, changes nothing.
    m_desk.clock.advance(-3600);
    ringFor(TenMinutes / 2);
    m_desk.clock.advance(7200);
    for (int snooze = 1; snooze <= 3; ++snooze) {
        ringFor(TenMinutes - 1 - (snooze == 1 ? TenMinutes / 2 : 0));
        QVERIFY(!form().Timer6()->Enabled());
        ringFor(1);
        QVERIFY2(form().Timer6()->Enabled(), qPrintable(QString::number(snooze)));
        engine().Timer6_Timer();
        QVERIFY(m_desk.player->playing.isEmpty());
        // The snooze minutes later, a fresh fade.
        m_desk.clock.advance(60);
        engine().Timer6_Timer();
        QCOMPARE(m_desk.player->playing, m_soundFile);
        QCOMPARE(form().HScroll1()->value(), -3000);
        QVERIFY(form().Timer5()->Enabled());
    }
    ringFor(TenMinutes);
    QVERIFY(m_desk.player->playing.isEmpty());
    QVERIFY(!form().Timer6()->Enabled());
    QVERIFY(!form().Timer5()->Enabled());
    QVERIFY(!form().Command3()->isEnabled());
    QVERIFY(form().Command2()->isEnabled());
    QCOMPARE(form().Text5()->text(), QStringLiteral("Missed"));
    QCOMPARE(m_desk.tray.calls.last().data.shownTip(),
             QStringLiteral("Right Click For Options - Alarm 07:30:00 rang unanswered"));
    // Still set: the next day rings again, and Sleep there gives the ring its full count anew.
    m_desk.clock.set(QDateTime(day.addDays(1), QTime(7, 29, 59)));
    engine().Timer3_Timer();
    ringAt(QTime(7, 30, 0));
    QCOMPARE(m_desk.player->playing, m_soundFile);
    QCOMPARE(form().Text5()->text(), QStringLiteral("Alarm Set"));
    ringFor(TenMinutes);
    QVERIFY(form().Timer6()->Enabled());
    m_desk.clock.advance(60);
    engine().Timer6_Timer();
    QVERIFY(!form().Timer6()->Enabled());
    engine().Command3_Click();
    m_desk.clock.advance(60);
    engine().Timer6_Timer();
    for (int snooze = 1; snooze <= 3; ++snooze) {
        ringFor(TenMinutes);
        QVERIFY2(form().Timer6()->Enabled(), qPrintable(QString::number(snooze)));
        m_desk.clock.advance(60);
        engine().Timer6_Timer();
        QCOMPARE(m_desk.player->playing, m_soundFile);
    }
}

void TestAlarmEngine::unansweredRingCountsRingingTime()
{
    // Ten minutes of ringing, then a snooze, three times; ten minutes more, then silence. The quiet of
    // a snooze counts for nothing, and someone who answers gives the next ring all three again.
    using Step = UnansweredRing::Step;
    UnansweredRing ring;
    const auto ringFor = [&ring](int seconds) {
        for (int s = 1; s < seconds; ++s) {
            if (ring.tick() != Step::Ring)
                return Step::Ring;
        }
        return ring.tick();
    };
    QCOMPARE(ring.tick(), Step::Ring);
    for (const Step expected : {Step::Snooze, Step::Snooze, Step::Snooze, Step::FallSilent, Step::Snooze}) {
        ring.ringing();
        QCOMPARE(ringFor(10 * 60), expected);
        for (int s = 0; s < 3600; ++s)
            QCOMPARE(ring.tick(), Step::Ring);
    }
    ring.answered();
    for (const Step expected : {Step::Snooze, Step::Snooze, Step::Snooze, Step::FallSilent}) {
        ring.ringing();
        QCOMPARE(ringFor(10 * 60), expected);
    }
}

void TestAlarmEngine::triedSoundEndsByItselfAfterThirtySeconds()
{
    engine().SoundPath = m_soundFile;
    form().trySound()->trigger();
    QCOMPARE(m_desk.player->playing, m_soundFile);
    QVERIFY(form().trySound()->isChecked());
    // Thirty ticks, whatever the clock says meanwhile.
    m_desk.clock.advance(-3600);
    ringFor(30 - 1);
    QVERIFY(engine().trying());
    QCOMPARE(m_desk.player->playing, m_soundFile);
    ringFor(1);
    QVERIFY(!engine().trying());
    QVERIFY(!form().trySound()->isChecked());
    QVERIFY(m_desk.player->playing.isEmpty());
    QVERIFY(!form().Timer5()->Enabled());
}
