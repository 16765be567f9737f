#include "sound/AlarmPlayer.h"
#include "sound/OutputChoice.h"
#include "sound/PipelinePhases.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(OutputChoice::Output)

// The sound room's decisions without a sound server: what a prepared pipeline does next, and the
// player's policy over a pipeline whose failures the test reports by hand.
class TestAlarmPlayer : public QObject {
    Q_OBJECT

private slots:
    void phasesPrerollSeekThenPlayWithoutGap();
    void phasesRefusedSeeksFallBack();
    void failureOfTheCurrentGenerationOnlyIsReported();
    void lostOutputIsRebuiltTwiceAtTheRingThenRetried();
    void startAheadIsConfirmedByTheRingOrCalledOff();
    void phasesLoopWithoutSoundFails();
    void fileChangedSincePreparingIsBuiltAfresh();
    void soundChosenWhileRingingWaitsForTheNextRing();
    void unplayableAtPreparingIsToldApart();
    void outputBackIsToldAndReleaseEndsTheRetries();
    void speakerJoinsAWornDefaultOnly_data();
    void speakerJoinsAWornDefaultOnly();
};

namespace {
using Steps = PipelinePhases::Steps;

// Records what the policy asked of the pipeline; failures are reported by the test.
class RecordingPipeline : public SoundPipeline {
public:
    QStringList* calls;
    double gain = -1;
    explicit RecordingPipeline(QStringList* log) : calls(log) {}
    void build(quint64 g, const QByteArray& path, bool play, bool) override
    {
        *calls << QStringLiteral("build %1 %2%3").arg(g).arg(QString::fromUtf8(path), play ? " playing" : "");
    }
    void play(quint64 g, bool) override { *calls << QStringLiteral("play %1").arg(g); }
    void pause(quint64 g) override { *calls << QStringLiteral("pause %1").arg(g); }
    void playAt(quint64 g, qint64 ms, qint64) override { *calls << QStringLiteral("play %1 at %2").arg(g).arg(ms); }
    void endWait(bool now) override { *calls << QString::fromLatin1(now ? "wait ends playing" : "wait called off"); }
    void release(quint64 g) override { *calls << QStringLiteral("release %1").arg(g); }
    void setGain(double linear) override { gain = linear; }
    void fail(quint64 g, bool output) { m_failed(g, output, QStringLiteral("broken")); }
    void ready(quint64 g) { m_ready(g); }
};

struct Rig {
    QStringList calls;
    RecordingPipeline* pipe = new RecordingPipeline(&calls);
    AlarmPlayer player{std::unique_ptr<SoundPipeline>(pipe)};
    QStringList errors;
    Rig()
    {
        player.onError = [this](const QString& path, const QString&, PlayerBackend::Fault) {
            errors << "ring " + path;
        };
        player.onPrepareError = [this](const QString& path, const QString&, PlayerBackend::Fault) {
            errors << "prepare " + path;
        };
    }
};
} // namespace

void TestAlarmPlayer::phasesPrerollSeekThenPlayWithoutGap()
{
    PipelinePhases p;
    // Prerolled: a flushing segment seek first; a ring during it waits for the seek to finish.
    QCOMPARE(p.asyncDone(), (Steps{.seek = true, .flush = true}));
    QCOMPARE(p.play(true), Steps{});
    QCOMPARE(p.asyncDone(), (Steps{.play = true}));
    QCOMPARE(p.phase(), PipelinePhases::Phase::Ready);
    // Looping queues the repeat behind what plays (no flush); the end of the stream flushes.
    QCOMPARE(p.segmentDone(true), (Steps{.seek = true}));
    QCOMPARE(p.endOfStream(true), (Steps{.seek = true, .flush = true}));
    // Silenced: paused and rewound, and no repeat is queued any more.
    QCOMPARE(p.pause(), (Steps{.seek = true, .flush = true, .pause = true}));
    QCOMPARE(p.segmentDone(true), Steps{});
    QCOMPARE(p.asyncDone(), Steps{});
    QCOMPARE(p.play(false), (Steps{.play = true}));
    QCOMPARE(p.segmentDone(true), Steps{});
}

void TestAlarmPlayer::phasesRefusedSeeksFallBack()
{
    PipelinePhases p;
    p.setWanted(true, true);
    // A pipeline that cannot seek plays from where it stands rather than never.
    const Steps first = p.asyncDone();
    QCOMPARE(p.seekRefused(first), (Steps{.play = true}));
    // A refused queued repeat is tried again as a flushing seek, and then given up.
    const Steps repeat = p.segmentDone(true);
    QCOMPARE(p.seekRefused(repeat), (Steps{.seek = true, .flush = true}));
    QCOMPARE(p.seekRefused({.seek = true, .flush = true}), Steps{});
}

void TestAlarmPlayer::phasesLoopWithoutSoundFails()
{
    PipelinePhases p;
    p.setWanted(true, true);
    // Emptied after it was prepared: the end comes round again with nothing heard since the start.
    QCOMPARE(p.segmentDone(false), (Steps{.fail = true}));
    QCOMPARE(p.endOfStream(false), (Steps{.fail = true}));
    // Played once, not looped, a short silence is no failure.
    p.setWanted(true, false);
    QCOMPARE(p.endOfStream(false), Steps{});
}

void TestAlarmPlayer::failureOfTheCurrentGenerationOnlyIsReported()
{
    QStringList calls;
    auto* pipe = new RecordingPipeline(&calls);
    AlarmPlayer player{std::unique_ptr<SoundPipeline>(pipe)};
    QStringList errors;
    player.onError = [&](const QString& path, const QString&, PlayerBackend::Fault) { errors << path; };

    player.setGain(0.25);
    QCOMPARE(pipe->gain, 0.25);
    player.prepare(QStringLiteral("/a.mp3"));
    player.prepare(QStringLiteral("/a.mp3")); // already prepared: nothing to build
    player.start(QStringLiteral("/a.mp3"), true);
    QCOMPARE(calls, (QStringList{"build 1 /a.mp3", "play 1"}));
    // Another file at the ring: a new generation; news of the old one is about nothing wanted.
    player.start(QStringLiteral("/b.mp3"), true);
    pipe->fail(1, false);
    QVERIFY(errors.isEmpty());
    pipe->fail(2, false);
    QCOMPARE(errors, QStringList{"/b.mp3"});
    QCOMPARE(calls.last(), QStringLiteral("release 2"));
    // A file failing while nothing rings is kept quiet; the next ring builds afresh.
    player.stop();
    pipe->fail(2, false);
    QCOMPARE(errors.size(), 1);
}

void TestAlarmPlayer::lostOutputIsRebuiltTwiceAtTheRingThenRetried()
{
    QStringList calls;
    auto* pipe = new RecordingPipeline(&calls);
    AlarmPlayer player{std::unique_ptr<SoundPipeline>(pipe)};
    QStringList errors;
    player.onError = [&](const QString& path, const QString&, PlayerBackend::Fault) { errors << path; };
    player.start(QStringLiteral("/a.mp3"), true);
    pipe->fail(1, true);
    pipe->fail(2, true);
    QVERIFY(errors.isEmpty());
    pipe->fail(3, true);
    // The third loss is told (the tone takes over), and the server is looked for again later.
    QCOMPARE(errors, QStringList{"/a.mp3"});
    QCOMPARE(calls, (QStringList{"build 1 /a.mp3 playing", "release 1", "build 2 /a.mp3 playing", "release 2",
                                 "build 3 /a.mp3 playing", "release 3"}));
    QTRY_COMPARE_WITH_TIMEOUT(calls.last(), QStringLiteral("build 4 /a.mp3 playing"),
                              AlarmPlayer::RetryMilliseconds * 2);
}

void TestAlarmPlayer::startAheadIsConfirmedByTheRingOrCalledOff()
{
    QStringList calls;
    auto* pipe = new RecordingPipeline(&calls);
    AlarmPlayer player{std::unique_ptr<SoundPipeline>(pipe)};
    const qint64 soon = QDateTime::currentMSecsSinceEpoch() + 300;
    player.startAt(QStringLiteral("/a.mp3"), soon);
    player.start(QStringLiteral("/a.mp3"), true);
    QCOMPARE(calls,
             (QStringList{"build 1 /a.mp3", QStringLiteral("play 1 at %1").arg(soon), "wait ends playing", "play 1"}));
    // No ring: silent and rewound again soon after the second; a sound changed at the ring
    // calls the wait off rather than let the old one be heard.
    player.stop();
    QCoreApplication::processEvents();
    calls.clear();
    player.startAt(QStringLiteral("/a.mp3"), soon);
    QTRY_COMPARE_WITH_TIMEOUT(calls.mid(1), (QStringList{"wait called off", "pause 1"}),
                              AlarmPlayer::ConfirmMilliseconds * 2);
    calls.clear();
    player.startAt(QStringLiteral("/a.mp3"), soon + 1000);
    player.start(QStringLiteral("/b.mp3"), true);
    QCOMPARE(calls.mid(1), (QStringList{"wait called off", "build 2 /b.mp3 playing"}));
    // A server lost while armed is noticed only when the sound starts: ahead of the ring it is built
    // again at once for the same moment, not left for the ring to find the output gone.
    player.stop();
    QCoreApplication::processEvents();
    calls.clear();
    const QString at = QString::number(soon + 2000);
    player.startAt(QStringLiteral("/a.mp3"), soon + 2000);
    pipe->fail(3, true);
    QCOMPARE(calls,
             (QStringList{"build 3 /a.mp3", "play 3 at " + at, "release 3", "build 4 /a.mp3", "play 4 at " + at}));
    QVERIFY(player.outputProblem().isEmpty());
}

void TestAlarmPlayer::fileChangedSincePreparingIsBuiltAfresh()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wake.mp3"));
    const auto write = [&](const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    };
    write("ID3 first");
    Rig r;
    r.player.prepare(path);
    r.player.start(path, true);
    r.player.stop();
    QTest::qWait(1);
    // Cut to nothing after ON: what is at the path at the ring is what rings.
    write("");
    r.player.start(path, true);
    const QString built = QStringLiteral("build %1 ") + path;
    QCOMPARE(r.calls, (QStringList{built.arg(1), "play 1", "pause 1", built.arg(2) + " playing"}));
    r.player.stop();
    QTest::qWait(1);
    // Another file renamed over it.
    const QString other = dir.filePath(QStringLiteral("other.mp3"));
    QFile(other).open(QIODevice::WriteOnly);
    QVERIFY(QFile::remove(path) && QFile::rename(other, path));
    r.player.start(path, true);
    QCOMPARE(r.calls.last(), built.arg(3) + " playing");
}

void TestAlarmPlayer::soundChosenWhileRingingWaitsForTheNextRing()
{
    Rig r;
    r.player.prepare(QStringLiteral("/a.mp3"));
    r.player.start(QStringLiteral("/a.mp3"), true);
    r.player.prepare(QStringLiteral("/bad.mp3"));
    // The ring goes on untouched, and its own failure is still told.
    QCOMPARE(r.calls, (QStringList{"build 1 /a.mp3", "play 1"}));
    r.pipe->fail(1, false);
    QCOMPARE(r.errors, QStringList{"ring /a.mp3"});
    r.player.start(QStringLiteral("/tone.mp3"), true);
    // Silenced: the choice is prepared for the next ring.
    r.player.stop();
    QTRY_COMPARE(r.calls.last(), QStringLiteral("build 3 /bad.mp3"));
}

void TestAlarmPlayer::unplayableAtPreparingIsToldApart()
{
    Rig r;
    r.player.prepare(QStringLiteral("/bad.mp3"));
    r.pipe->fail(1, false);
    QCOMPARE(r.errors, QStringList{"prepare /bad.mp3"});
    // No output is no fault of the file.
    r.player.prepare(QStringLiteral("/a.mp3"));
    r.pipe->fail(2, true);
    QCOMPARE(r.errors.size(), 1);
    QCOMPARE(r.player.outputProblem(), QStringLiteral("broken"));
}

void TestAlarmPlayer::outputBackIsToldAndReleaseEndsTheRetries()
{
    Rig r;
    int back = 0;
    int lost = 0;
    r.player.onOutputBack = [&] { ++back; };
    r.player.onOutputLost = [&] { ++lost; };
    r.player.prepare(QStringLiteral("/a.mp3"));
    r.pipe->ready(1);
    QCOMPARE(back, 0);
    r.pipe->fail(1, true);
    QCOMPARE(lost, 1);
    QTRY_COMPARE_WITH_TIMEOUT(r.calls.last(), QStringLiteral("build 2 /a.mp3"), AlarmPlayer::RetryMilliseconds * 2);
    r.pipe->ready(2);
    QCOMPARE(back, 1);
    QVERIFY(r.player.outputProblem().isEmpty());
    // Switched off with no server: the pipeline goes, and nobody looks for the server any more.
    r.pipe->fail(2, true);
    r.player.release();
    QCOMPARE(r.calls.last(), QStringLiteral("release 0"));
    QTest::qWait(AlarmPlayer::RetryMilliseconds + 500);
    QCOMPARE(r.calls.last(), QStringLiteral("release 0"));
}

void TestAlarmPlayer::speakerJoinsAWornDefaultOnly_data()
{
    // Each output: name, device.form_factor, device.bus, active port. The default is "d".
    using O = OutputChoice::Output;
    QTest::addColumn<std::vector<O>>("outputs");
    QTest::addColumn<QString>("second");
    const O laptop{"pci", "internal", "pci", "analog-output-speaker"};
    const O card{"card", "", "pci", "analog-output-speaker"};
    QTest::addRow("Bluetooth headset, laptop speaker")
        << std::vector<O>{{"d", "headset", "bluetooth", ""}, laptop} << "pci";
    QTest::addRow("USB headphones, a card's speaker port")
        << std::vector<O>{{"d", "headphone", "usb", ""}, card} << "card";
    QTest::addRow("hands-free headset") << std::vector<O>{{"d", "handsfree", "bluetooth", ""}, laptop} << "pci";
    QTest::addRow("hands-free as PipeWire spells it")
        << std::vector<O>{{"d", "hands-free", "bluetooth", ""}, laptop} << "pci";
    QTest::addRow("the laptop's own output") << std::vector<O>{{"d", "internal", "pci", "analog-output-speaker"}} << "";
    QTest::addRow("headphones in the laptop's jack: one output, its port kept")
        << std::vector<O>{{"d", "internal", "pci", "analog-output-headphones"}, {"bt", "headset", "bluetooth", ""}}
        << "";
    QTest::addRow("headset, but the speaker's port is the headphone jack")
        << std::vector<O>{{"d", "headset", "bluetooth", ""}, {"pci", "internal", "pci", "analog-output-headphones"}}
        << "";
    QTest::addRow("a Bluetooth speaker is no headset")
        << std::vector<O>{{"d", "speaker", "bluetooth", ""}, laptop} << "";
    QTest::addRow("two headsets, no speaker")
        << std::vector<O>{{"d", "headset", "bluetooth", ""}, {"u", "headset", "usb", ""}, {"b", "speaker", "usb", ""}}
        << "";
    QTest::addRow("a card without a speaker port")
        << std::vector<O>{{"d", "headset", "usb", ""}, {"hdmi", "", "pci", "hdmi-output-0"}} << "";
    QTest::addRow("a headset not on a device of its own") << std::vector<O>{{"d", "headset", "pci", ""}, laptop} << "";
    QTest::addRow("the default unknown") << std::vector<O>{laptop} << "";
}

void TestAlarmPlayer::speakerJoinsAWornDefaultOnly()
{
    QFETCH(std::vector<OutputChoice::Output>, outputs);
    QFETCH(QString, second);
    QCOMPARE(QString::fromStdString(OutputChoice::secondOutput("d", outputs)), second);
}

QTEST_GUILESS_MAIN(TestAlarmPlayer)
#include "TestAlarmPlayer.moc"
