#include "alarm/RingSound.h"
#include "controls/MediaPlayer.h"
#include "core/ExecutableFolder.h"
#include "core/PathTrust.h"
#include "core/ProgramFile.h"
#include "mock/RecordedSkip.h"
#include "platform/DesktopAlarmSound.h"
#include "soundclient/SoundProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The watch and end limits, shorter than the program's so that no case waits out the real ones;
// the stand-in's slow answer stays within the watch (FAKE_SOUND_HOST_SLOW_MS).
constexpr int WatchMs = 1000;
constexpr int EndMs = 500;
template <typename P> P limited(P process)
{
    process->setLimits(WatchMs, EndMs);
    return process;
}
} // namespace

// The program's side of the sound process, and the ring's ladder of sounds above it, against a
// stand-in sound program that crashes, hangs, says garbage, stops showing its sound move on, answers
// slowly or late, or ends at once; and which sound program it trusts.
class TestSoundProcess : public QObject {
    Q_OBJECT

private slots:
    void init();
    void ladderStepsDownAndEveryRingStartsAtTheTop_data();
    void ladderStepsDownAndEveryRingStartsAtTheTop();
    void ladderClimbsBackOnceTheFaultPasses();
    void lateFailureOfAnEarlierStartIsDropped();
    void raisedOutputIsHandedToTheNextProcess();
    void processDyingAtOnceIsReplacedOnlyAFewTimes();
    void levelPutBackByAnEndingProcessIsNotOwed();
    void programInAFolderOthersCanWriteIsRefused();
    void trustRule_data();
    void trustRule();
    void privateFolderAfterTheCopysOwnPlace();

private:
    QStringList told() const;
    QStringList starts(int fromLine) const;
    QTemporaryDir m_dir;
    QString m_log;
};

void TestSoundProcess::init()
{
    m_log = m_dir.filePath(QStringLiteral("told-%1.log").arg(QTest::currentTestFunction()) + QTest::currentDataTag());
    QFile::remove(m_log);
    qputenv("FAKE_SOUND_HOST_LOG", m_log.toUtf8());
    qputenv("FAKE_SOUND_HOST_SLOW_MS", QByteArray::number(WatchMs / 2));
}

QStringList TestSoundProcess::told() const
{
    QFile file(m_log);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

QStringList TestSoundProcess::starts(int fromLine) const
{
    // Each start a process was given, as the sound it asked for; "|" where a new process began, after the first.
    QStringList sounds;
    for (const QString& line : told().mid(fromLine)) {
        if (line == QLatin1String("process"))
            sounds << QStringLiteral("|");
        else if (line.startsWith(QStringLiteral("%1 ").arg(int(SoundMessage::Start))))
            sounds << (line.endsWith(QLatin1String("alarm-tone.mp3")) ? QStringLiteral("tone")
                                                                      : QStringLiteral("file"));
    }
    while (!sounds.isEmpty() && sounds.first() == u"|")
        sounds.removeFirst();
    return sounds;
}

void TestSoundProcess::ladderStepsDownAndEveryRingStartsAtTheTop_data()
{
    QTest::addColumn<QString>("modes");
    QTest::addColumn<QStringList>("asked"); // the starts of each ring
    QTest::addColumn<bool>("silent");       // the ring is left to the desktop
    QTest::addColumn<QString>("notice");
    const QStringList fileThenTone{"file", "|", "tone"};
    QTest::addRow("dies on the file") << "crash-file" << fileThenTone << false << "wake.mp3 stopped the sound process";
    QTest::addRow("dies always") << "crash" << fileThenTone + QStringList{"|", "tone", "|", "tone"} << true
                                 << "No alarm sound: the sound process stopped or crashed";
    QTest::addRow("says something that is no message")
        << "garbage,good" << fileThenTone << false << "wake.mp3 stopped the sound process";
    QTest::addRow("stalls") << "stuck,good" << fileThenTone << false << "wake.mp3 stopped the sound process";
    QTest::addRow("never answers") << "hang,good" << QStringList{"tone"} << false
                                   << "wake.mp3 stopped the sound process";
    QTest::addRow("is slow") << "slow" << QStringList{"file"} << false << "";
    QTest::addRow("no usable sound program")
        << "exit" << QStringList{} << true << "No alarm sound: the sound process ended (status 0)";
}

void TestSoundProcess::ladderStepsDownAndEveryRingStartsAtTheTop()
{
    QFETCH(QString, modes);
    QFETCH(QStringList, asked);
    QFETCH(bool, silent);
    QFETCH(QString, notice);
    qputenv("FAKE_SOUND_HOST", modes.toUtf8());
    MediaPlayer::setBackendFactory(
        [] { return limited(std::make_unique<SoundProcess>(QStringLiteral(FAKE_SOUND_HOST))); });
    const QString file = m_dir.filePath(QStringLiteral("wake.mp3"));
    QFile(file).open(QIODevice::WriteOnly);
    MediaPlayer player;
    RingSound sound(player);
    for (int ring = 1; ring <= 2; ++ring) {
        const int from = told().size();
        QElapsedTimer clock;
        clock.start();
        sound.ring(file);
        // The first ring's every step; a later one starts at the top again.
        const QStringList expected = ring == 1 ? asked : asked.mid(0, 1);
        const auto seen = [&] { return ring == 1 ? starts(from) : starts(from).mid(0, 1); };
        QTRY_COMPARE_WITH_TIMEOUT(seen(), expected, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(sound.silent(), silent, 3000);
        // Within the watch and a moment to start the next process: the ring is heard again in time.
        QVERIFY2(clock.elapsed() < WatchMs + 1500, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(WatchMs + 300);
        QCOMPARE(seen(), expected);
        QCOMPARE(sound.notice().left(notice.size()), notice);
        // Sleep, then the re-ring: from the chosen file again, in a process that has not given up.
        sound.silence();
        QVERIFY(!sound.silent());
        if (modes.contains(u','))
            break; // later processes work: the next ring plays the file
    }
    MediaPlayer::setBackendFactory({});
}

void TestSoundProcess::ladderClimbsBackOnceTheFaultPasses()
{
    // Four processes die, then the sound server is back: the file is tried again once the retry
    // budget's (shortened) minute allows, not before, and the ring has its own sound again.
    qputenv("FAKE_SOUND_HOST", "crash,crash,crash,crash,good");
    MediaPlayer::setBackendFactory(
        [] { return limited(std::make_unique<SoundProcess>(QStringLiteral(FAKE_SOUND_HOST))); });
    MediaPlayer player;
    struct : DesktopAlarmSound {
        QStringList calls;
        void start(const QString&) override { calls << QStringLiteral("start"); }
        void stop() override { calls << QStringLiteral("stop"); }
    } lastResort;
    DesktopAlarmSound::setInstance(&lastResort);
    constexpr int minute = 4000;
    RingSound sound(player, nullptr, minute);
    QElapsedTimer clock;
    clock.start();
    sound.ring(m_dir.filePath(QStringLiteral("wake.mp3")));
    QTRY_VERIFY_WITH_TIMEOUT(sound.silent(), 5000);
    const QStringList down{"file", "|", "tone", "|", "tone", "|", "tone"};
    QCOMPARE(starts(0), down);
    const QStringList back = down + QStringList{"|", "file"};
    QTRY_COMPARE_WITH_TIMEOUT(starts(0), back, minute + 5000);
    QVERIFY2(clock.elapsed() >= minute - 500, qPrintable(QString::number(clock.elapsed())));
    // The desktop's alarm sound plays on while the file is tried, and stops once it has had time to fail.
    QCOMPARE(lastResort.calls, QStringList{QStringLiteral("start")});
    QTest::qWait(WatchMs + 300);
    QVERIFY(!sound.silent() && !sound.notice().startsWith(QStringLiteral("No alarm sound")));
    QTRY_COMPARE(lastResort.calls, QStringList({QStringLiteral("start"), QStringLiteral("stop")}));
    DesktopAlarmSound::setInstance(nullptr);
    MediaPlayer::setBackendFactory({});
}

void TestSoundProcess::lateFailureOfAnEarlierStartIsDropped()
{
    qputenv("FAKE_SOUND_HOST", "late");
    SoundProcess sound(QStringLiteral(FAKE_SOUND_HOST));
    limited(&sound);
    int errors = 0;
    sound.onError = [&](const QString&, const QString&, PlayerBackend::Fault) { ++errors; };
    // OFF, then ON and a new ring of the same file: the first ring's failure is not this one's.
    sound.start(QStringLiteral("/alarm.mp3"), true);
    sound.release();
    sound.start(QStringLiteral("/alarm.mp3"), true);
    QTRY_VERIFY(told().count(QStringLiteral("%1 /alarm.mp3").arg(int(SoundMessage::Start))) == 2);
    QTest::qWait(300);
    QCOMPARE(errors, 0);
}

void TestSoundProcess::raisedOutputIsHandedToTheNextProcess()
{
    qputenv("FAKE_SOUND_HOST", "raise,good");
    SoundProcess sound(QStringLiteral(FAKE_SOUND_HOST));
    limited(&sound);
    sound.start(QStringLiteral("/alarm.mp3"), true);
    QTRY_VERIFY(told().contains(QStringLiteral("%1 muted at 20 %").arg(int(SoundMessage::OutputWas))));
}

void TestSoundProcess::processDyingAtOnceIsReplacedOnlyAFewTimes()
{
    // A sound held ready all night, in a process that dies at once: replaced three times, then
    // given up until the next request, not restarted all night.
    qputenv("FAKE_SOUND_HOST", "exit");
    SoundProcess sound(QStringLiteral(FAKE_SOUND_HOST));
    limited(&sound);
    int givenUp = 0;
    sound.onPrepareError = [&](const QString&, const QString&, PlayerBackend::Fault) { ++givenUp; };
    sound.prepare(QStringLiteral("/alarm.mp3"));
    QTRY_COMPARE(givenUp, 1);
    QTest::qWait(300);
    QCOMPARE(told().count(QStringLiteral("process")), 1 + SoundProcess::MaxReplacementsPerMinute);
}

void TestSoundProcess::levelPutBackByAnEndingProcessIsNotOwed()
{
    // A process ending after OFF puts the level back and says so as its last words: the next
    // arming's process is not told to put back a level that is no longer owed.
    qputenv("FAKE_SOUND_HOST", "raises");
    SoundProcess sound(QStringLiteral(FAKE_SOUND_HOST));
    limited(&sound);
    sound.start(QStringLiteral("/alarm.mp3"), true);
    QTRY_VERIFY(told().count(QStringLiteral("%1 /alarm.mp3").arg(int(SoundMessage::Start))) == 1);
    sound.release();
    QTest::qWait(EndMs + 500);
    sound.start(QStringLiteral("/alarm.mp3"), true);
    QTRY_COMPARE(told().count(QStringLiteral("process")), 2);
    QTRY_COMPARE(told().count(QStringLiteral("%1 /alarm.mp3").arg(int(SoundMessage::Start))), 2);
    QVERIFY(!told().contains(QStringLiteral("%1 muted at 20 %").arg(int(SoundMessage::OutputWas))));
}

void TestSoundProcess::programInAFolderOthersCanWriteIsRefused()
{
    // A copy in a folder of the user's own, under a shared sticky folder such as /tmp.
    QTemporaryDir shared;
    QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
    const QString copy = shared.filePath(QStringLiteral("copy"));
    QVERIFY(QDir().mkdir(copy));
    QVERIFY(QFile::copy(QStringLiteral(FAKE_SOUND_HOST), copy + QStringLiteral("/kestrune-sound-host")));
    ExecutableFolder::setOverride(copy);
    QString why;
    QCOMPARE(ProgramFile::find(QStringLiteral("kestrune-sound-host"), &why),
             QFileInfo(copy + QStringLiteral("/kestrune-sound-host")).canonicalFilePath());
    // The same copy in a folder everyone may write to.
    QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0777) == 0);
    QCOMPARE(ProgramFile::find(QStringLiteral("kestrune-sound-host"), &why), QString());
    QVERIFY2(why.contains(QStringLiteral("others can write to the folder")), qPrintable(why));
    // A folder above that others may write to and that is not sticky: the copy's folder could be swapped.
    QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 0777) == 0);
    QCOMPARE(ProgramFile::find(QStringLiteral("kestrune-sound-host"), &why), QString());
    ExecutableFolder::setOverride(QString());
}

void TestSoundProcess::trustRule_data()
{
    // $1 is a folder of root's holding the file $2, in $3, a private folder; root runs the test.
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("refusal");
    const QString file = u"folder/file"_qs;
    QTest::addRow("as it is") << QString() << file << QString();
    QTest::addRow("an ACL lets another user write") << u"setfacl -m u:nobody:rwx $2"_qs << file << u"others can"_qs;
    QTest::addRow("an ACL whose mask forbids it") << u"setfacl -m u:nobody:rwx,m::rx $2"_qs << file << QString();
    QTest::addRow("an ACL lets a group write the folder")
        << u"setfacl -m g:audio:rwx $1"_qs << file << u"others can write to the folder"_qs;
    QTest::addRow("group write, another's primary group")
        << u"chgrp nogroup $2; chmod g+w $2"_qs << file << u"others can"_qs;
    QTest::addRow("group write, a group with a member")
        << u"chgrp audio $1; chmod g+w $1"_qs << file << u"others can write to the folder"_qs;
    QTest::addRow("group write, root's own group") << u"chmod g+w $1 $2"_qs << file << QString();
    QTest::addRow("another user's file") << u"chown nobody $2"_qs << file << u"belongs to another user"_qs;
    QTest::addRow("in a sticky folder") << u"chmod 1777 $1"_qs << file << u"others can write to the folder"_qs;
    QTest::addRow("another's, in a sticky folder") << u"chmod 1777 $1; chown nobody $2"_qs << file << u"others"_qs;
    QTest::addRow("a link among the folders") << u"ln -s folder $3/link"_qs << u"link/file"_qs << QString();
    QTest::addRow("another user's link among them")
        << u"ln -s folder $3/link; chown -h nobody $3/link"_qs << u"link/file"_qs << u"is a link of another user"_qs;
}

void TestSoundProcess::trustRule()
{
    QFETCH(QString, change);
    QFETCH(QString, path);
    QFETCH(QString, refusal);
    if (::geteuid() != 0)
        KESTRUNE_SKIP("giving files to other users and groups needs root");
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_qs));
    const QString file = dir.filePath(u"folder/file"_qs);
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0755), 0);
    QCOMPARE(QProcess::execute(u"sh"_qs, {u"-ec"_qs, change, u"sh"_qs, dir.filePath(u"folder"_qs), file, dir.path()}),
             0);
    const QString why = PathTrust::whyUntrusted(dir.filePath(path));
    QVERIFY2(refusal.isEmpty() ? why.isEmpty() : why.contains(refusal), qPrintable(why));
}

void TestSoundProcess::privateFolderAfterTheCopysOwnPlace()
{
    // An installed program looks in its private folder when its own place has nothing it may use.
    ExecutableFolder::setOverride(QStringLiteral(KESTRUNE_INSTALL_BINDIR));
    const auto restore = qScopeGuard([] { ExecutableFolder::setOverride(QString()); });
    if (ProgramFile::privateFolder().isEmpty())
        KESTRUNE_SKIP("the installation's program folder is not there");
    QString why;
    QCOMPARE(ProgramFile::find(u"kestrune-nothing"_qs, &why), QString());
    QVERIFY2(why.contains(QDir(ProgramFile::privateFolder()).filePath(u"kestrune-nothing"_qs)), qPrintable(why));
}

QTEST_GUILESS_MAIN(TestSoundProcess)
#include "TestSoundProcess.moc"
