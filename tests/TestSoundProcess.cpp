#include "core/ExecutableFolder.h"
#include "core/ProgramFile.h"
#include "soundclient/SoundProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// The program's side of the sound process, against a stand-in sound program that crashes, hangs,
// says garbage, stops showing its sound move on, or answers late; and which sound program it trusts.
class TestSoundProcess : public QObject {
    Q_OBJECT

private slots:
    void init();
    void replacedWhenItFailsWhilePlaying_data();
    void replacedWhenItFailsWhilePlaying();
    void failsTheSoundAfterTwoReplacements();
    void lateFailureOfAnEarlierStartIsDropped();
    void raisedOutputIsHandedToTheNextProcess();
    void programInAFolderOthersCanWriteIsRefused();

private:
    QStringList told() const;
    QTemporaryDir m_dir;
    QString m_log;
};

void TestSoundProcess::init()
{
    m_log = m_dir.filePath(QStringLiteral("told-%1.log").arg(QTest::currentTestFunction()) + QTest::currentDataTag());
    QFile::remove(m_log);
    qputenv("FAKE_SOUND_HOST_LOG", m_log.toUtf8());
}

QStringList TestSoundProcess::told() const
{
    QFile file(m_log);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

void TestSoundProcess::replacedWhenItFailsWhilePlaying_data()
{
    QTest::addColumn<QString>("modes");
    QTest::addRow("crashes") << "crash,good";
    QTest::addRow("says something that is no message") << "garbage,good";
    QTest::addRow("never answers") << "hang,good";
    QTest::addRow("stops showing its sound move on") << "stuck,good";
}

void TestSoundProcess::replacedWhenItFailsWhilePlaying()
{
    QFETCH(QString, modes);
    qputenv("FAKE_SOUND_HOST", modes.toUtf8());
    SoundProcess sound(QStringLiteral(FAKE_SOUND_HOST));
    QStringList errors;
    sound.onError = [&](const QString&, const QString& reason) { errors << reason; };
    QElapsedTimer clock;
    clock.start();
    sound.start(QStringLiteral("/alarm.mp3"), true);
    const QString start = QStringLiteral("%1 ").arg(int(SoundMessage::Start));
    QTRY_VERIFY_WITH_TIMEOUT(told().count(QStringLiteral("process")) == 2 && told().last().startsWith(start), 5000);
    // Replaced within the watch and a moment to start the next one: the ring is heard again in time.
    QVERIFY2(clock.elapsed() < SoundProcess::WatchMilliseconds + 1500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(told().count(QStringLiteral("process")), 2);
    QTest::qWait(SoundProcess::WatchMilliseconds + 500);
    QCOMPARE(told().count(QStringLiteral("process")), 2);
    QCOMPARE(errors, QStringList());
}

void TestSoundProcess::failsTheSoundAfterTwoReplacements()
{
    qputenv("FAKE_SOUND_HOST", "crash");
    SoundProcess sound(QStringLiteral(FAKE_SOUND_HOST));
    QStringList errors;
    sound.onError = [&](const QString& path, const QString&) { errors << path; };
    sound.start(QStringLiteral("/alarm.mp3"), true);
    QTRY_COMPARE(errors, QStringList{QStringLiteral("/alarm.mp3")});
    QCOMPARE(told().count(QStringLiteral("process")), 1 + SoundProcess::MaxRestarts);
    QVERIFY(!sound.outputProblem().isEmpty());
}

void TestSoundProcess::lateFailureOfAnEarlierStartIsDropped()
{
    qputenv("FAKE_SOUND_HOST", "late");
    SoundProcess sound(QStringLiteral(FAKE_SOUND_HOST));
    int errors = 0;
    sound.onError = [&](const QString&, const QString&) { ++errors; };
    // OFF, then ON and a new ring of the same file: the first ring's failure is not this one's.
    sound.start(QStringLiteral("/alarm.mp3"), true);
    sound.release();
    sound.start(QStringLiteral("/alarm.mp3"), true);
    QTRY_VERIFY(told().count(QStringLiteral("%1 ").arg(int(SoundMessage::Start))) == 2);
    QTest::qWait(300);
    QCOMPARE(errors, 0);
}

void TestSoundProcess::raisedOutputIsHandedToTheNextProcess()
{
    qputenv("FAKE_SOUND_HOST", "raise,good");
    SoundProcess sound(QStringLiteral(FAKE_SOUND_HOST));
    sound.start(QStringLiteral("/alarm.mp3"), true);
    QTRY_VERIFY(told().contains(QStringLiteral("%1 muted at 20 %").arg(int(SoundMessage::OutputWas))));
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

QTEST_GUILESS_MAIN(TestSoundProcess)
#include "TestSoundProcess.moc"
