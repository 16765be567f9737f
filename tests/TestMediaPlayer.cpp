#include "controls/MediaPlayer.h"
#include "core/FileNameBytes.h"
#include "mock/RecordingPlayer.h"
#include "soundclient/SoundMessage.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <sys/stat.h>

// The player control over a recording backend: what it asks of the backend, its decibel scale,
// and which failures reach the engine.
class TestMediaPlayer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gainFollowsHundredthsOfDecibels_data();
    void gainFollowsHundredthsOfDecibels();
    void volumeAppliesAtOnce();
    void fileNameStartsARepeatingSoundAndEmptyStops();
    void errorForTheWantedFileIsReported();
    void lateErrorAfterStopIsDropped();
    void lateErrorForAReplacedFileIsDropped();
    void missingFileIsReportedFromTheEventLoop();
    void fifoIsNeverHandedToTheBackend();
    void nameThatIsNotUtf8PlaysItsOwnFile();
    void soundProcessMessagesArriveWholeOrNotAtAll();

private:
    QString writeFile(const QString& name);

    std::shared_ptr<RecordingPlayer::Log> m_log;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMediaPlayer::init()
{
    m_log = std::make_shared<RecordingPlayer::Log>();
    MediaPlayer::setBackendFactory([log = m_log] { return std::make_unique<RecordingPlayer>(log); });
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestMediaPlayer::cleanup()
{
    MediaPlayer::setBackendFactory({});
    m_dir.reset();
}

QString TestMediaPlayer::writeFile(const QString& name)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("ID3") != 3)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestMediaPlayer::gainFollowsHundredthsOfDecibels_data()
{
    QTest::addColumn<int>("hundredths");
    QTest::addColumn<double>("gain");
    // 10^(h/2000), worked out by hand: -30 dB, -6 dB, full.
    QTest::addRow("fade start -3000") << -3000 << 0.0316227766016838;
    QTest::addRow("-600") << -600 << 0.501187233627272;
    QTest::addRow("fade end -3") << -3 << 0.996552080134768;
    QTest::addRow("full 0") << 0 << 1.0;
}

void TestMediaPlayer::gainFollowsHundredthsOfDecibels()
{
    QFETCH(int, hundredths);
    QFETCH(double, gain);
    QVERIFY2(qAbs(MediaPlayer::gainFor(hundredths) - gain) < 1e-9,
             qPrintable(QString::number(MediaPlayer::gainFor(hundredths), 'g', 15)));
}

void TestMediaPlayer::volumeAppliesAtOnce()
{
    MediaPlayer player;
    player.setVolume(-3000);
    player.setFileName(writeFile("a.mp3"));
    QVERIFY(qAbs(m_log->gain - 0.0316227766016838) < 1e-9);
    // A sound already playing changes loudness with the next volume, not the next file.
    player.setVolume(-600);
    QVERIFY(qAbs(m_log->gain - 0.501187233627272) < 1e-9);
}

void TestMediaPlayer::fileNameStartsARepeatingSoundAndEmptyStops()
{
    MediaPlayer player;
    const QString a = writeFile("a.mp3");
    player.prepare(a);
    player.setFileName(a);
    QCOMPARE(m_log->events, QStringList({"prepare " + a, "start " + a, "loop"}));
    QCOMPARE(m_log->playing, a);
    player.setFileName(QString());
    QVERIFY(m_log->playing.isEmpty());
    QCOMPARE(m_log->events.last(), QStringLiteral("stop"));
}

void TestMediaPlayer::errorForTheWantedFileIsReported()
{
    MediaPlayer player;
    QSignalSpy spy(&player, &MediaPlayer::cannotPlay);
    const QString a = writeFile("a.mp3");
    player.setFileName(a);
    m_log->current->onError(a, QStringLiteral("not audio"), PlayerBackend::Fault::File);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), a);
}

void TestMediaPlayer::lateErrorAfterStopIsDropped()
{
    MediaPlayer player;
    QSignalSpy spy(&player, &MediaPlayer::cannotPlay);
    const QString a = writeFile("a.mp3");
    player.setFileName(a);
    player.setFileName(QString()); // OFF
    m_log->current->onError(a, QStringLiteral("not audio"), PlayerBackend::Fault::File);
    QTest::qWait(20);
    QCOMPARE(spy.size(), 0);
}

void TestMediaPlayer::lateErrorForAReplacedFileIsDropped()
{
    MediaPlayer player;
    QSignalSpy spy(&player, &MediaPlayer::cannotPlay);
    const QString a = writeFile("a.mp3");
    const QString b = writeFile("b.mp3");
    player.setFileName(a);
    player.setFileName(b);
    m_log->current->onError(a, QStringLiteral("not audio"), PlayerBackend::Fault::File);
    QCOMPARE(spy.size(), 0);
    m_log->current->onError(b, QStringLiteral("not audio"), PlayerBackend::Fault::File);
    QCOMPARE(spy.size(), 1);
}

void TestMediaPlayer::missingFileIsReportedFromTheEventLoop()
{
    MediaPlayer player;
    QSignalSpy spy(&player, &MediaPlayer::cannotPlay);
    const QString gone = m_dir->filePath(QStringLiteral("gone.mp3"));
    player.setFileName(gone);
    QCOMPARE(spy.size(), 0); // never inside the caller's handler
    QTRY_COMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), gone);

    // OFF before the event loop ran: nothing to report any more.
    player.setFileName(gone);
    player.setFileName(QString());
    QTest::qWait(20);
    QCOMPARE(spy.size(), 1);
}

void TestMediaPlayer::fifoIsNeverHandedToTheBackend()
{
    MediaPlayer player;
    QSignalSpy spy(&player, &MediaPlayer::cannotPlay);
    const QString fifo = m_dir->filePath(QStringLiteral("pipe.mp3"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    player.prepare(fifo);
    player.setFileName(fifo);
    // Opening a FIFO waits for a writer: the backend must never be asked to.
    QVERIFY(!m_log->events.contains("prepare " + fifo));
    QVERIFY(!m_log->events.contains("start " + fifo));
    QTRY_COMPARE(spy.size(), 1);
    // Told at arming already, with the tone that will ring in its place made ready.
    QSignalSpy told(&player, &MediaPlayer::cannotPrepare);
    player.prepare(fifo);
    QCOMPARE(m_log->events.last(), "prepare " + MediaPlayer::builtInTonePath());
    QTRY_COMPARE(told.size(), 1);
}

void TestMediaPlayer::nameThatIsNotUtf8PlaysItsOwnFile()
{
    // As the settings file reads "alarm-\xe9.mp3": one character a byte.
    const QByteArray bytes = QFile::encodeName(m_dir->path()) + "/alarm-\xe9.mp3";
    QFile file(QString::fromLatin1(bytes));
    QVERIFY(QFile::encodeName(file.fileName()) != bytes);
    FILE* raw = std::fopen(bytes.constData(), "w");
    QVERIFY(raw && std::fclose(raw) == 0);
    QCOMPARE(FileNameBytes::of(file.fileName()), bytes);
    MediaPlayer player;
    QSignalSpy spy(&player, &MediaPlayer::cannotPlay);
    player.setFileName(file.fileName());
    QCOMPARE(m_log->playing, file.fileName());
    QTest::qWait(20);
    QCOMPARE(spy.size(), 0);
    // Qt's own listing skips the name, so the folder could not be removed with it inside.
    std::remove(bytes.constData());
}

void TestMediaPlayer::soundProcessMessagesArriveWholeOrNotAtAll()
{
    SoundMessage a;
    a.kind = SoundMessage::StartAt;
    a.path = QStringLiteral("/m\u00fcde/") + QChar(0xDC80); // kept whole, whatever the name holds
    a.number = 1'780'000'000'123;
    SoundMessage b;
    b.kind = SoundMessage::Failed;
    b.text = QStringLiteral("no decoder");
    b.gain = 0.0316;
    // Two messages, arriving a byte at a time: each is taken whole, in order, and nothing before.
    const QByteArray stream = a.frame() + b.frame();
    QByteArray buffer;
    QList<SoundMessage> taken;
    for (char c : stream) {
        buffer.append(c);
        SoundMessage m;
        while (SoundMessage::take(buffer, m) == SoundMessage::Taken::Message)
            taken << m;
    }
    QCOMPARE(taken.size(), 2);
    QVERIFY(buffer.isEmpty());
    QCOMPARE(taken[0].kind, SoundMessage::StartAt);
    QCOMPARE(taken[0].path, a.path);
    QCOMPARE(taken[0].number, a.number);
    QCOMPARE(taken[1].text, b.text);
    QCOMPARE(taken[1].gain, b.gain);
    // What cannot be ours: a length beyond any message, an unknown kind, a body with bytes left over.
    QByteArray huge("\xff\xff\xff\xff", 4);
    SoundMessage m;
    QCOMPARE(SoundMessage::take(huge, m), SoundMessage::Taken::Broken);
    QByteArray unknown = b.frame();
    unknown[4] = char(0x7f);
    QCOMPARE(SoundMessage::take(unknown, m), SoundMessage::Taken::Broken);
    QByteArray longer = b.frame();
    longer[3] = char(longer[3] + 1);
    longer.append('x');
    QCOMPARE(SoundMessage::take(longer, m), SoundMessage::Taken::Broken);
}

QTEST_GUILESS_MAIN(TestMediaPlayer)
#include "TestMediaPlayer.moc"
