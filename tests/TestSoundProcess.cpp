#include "core/ExecutableFolder.h"
#include "core/PathTrust.h"
#include "core/ProgramFile.h"
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
    void trustRule_data();
    void trustRule();
    void privateFolderAfterTheCopysOwnPlace();

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
        QSKIP("giving files to other users and groups needs root");
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
        QSKIP("the installation's program folder is not there");
    QString why;
    QCOMPARE(ProgramFile::find(u"kestrune-nothing"_qs, &why), QString());
    QVERIFY2(why.contains(QDir(ProgramFile::privateFolder()).filePath(u"kestrune-nothing"_qs)), qPrintable(why));
}

QTEST_GUILESS_MAIN(TestSoundProcess)
#include "TestSoundProcess.moc"
