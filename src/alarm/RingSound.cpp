#include "alarm/RingSound.h"

#include "controls/MediaPlayer.h"
#include "core/AlarmCrossing.h"
#include "core/Clock.h"
#include "core/LogCategories.h"
#include "platform/DesktopAlarmSound.h"

#include <QFileInfo>
#include <QTimer>

namespace {
// The notices start so; the reason follows. Read afresh, as the language is chosen after start-up.
QString noOutput()
{
    return RingSound::tr("No sound output: ");
}

QString noAlarmSound()
{
    return RingSound::tr("No alarm sound: ");
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}
} // namespace

RingSound::RingSound(MediaPlayer& player, QObject* parent, qint64 retryMinuteMs)
    : QObject(parent), m_player(player), m_toneRetries(ToneRetriesPerMinute, retryMinuteMs), m_climb(new QTimer(this)),
      m_lastResortEnds(new QTimer(this))
{
    m_climb->setSingleShot(true);
    connect(m_climb, &QTimer::timeout, this, &RingSound::climbBack);
    m_lastResortEnds->setSingleShot(true);
    m_lastResortEnds->setInterval(LastResortOverlapMs);
    connect(m_lastResortEnds, &QTimer::timeout, this, [this] {
        if (!m_silent)
            DesktopAlarmSound::instance().stop();
    });
    connect(&m_player, &MediaPlayer::cannotPlay, this, &RingSound::onCannotPlay);
    connect(&m_player, &MediaPlayer::cannotPrepare, this, &RingSound::onCannotPrepare);
    connect(&m_player, &MediaPlayer::outputLost, this, &RingSound::onOutputLost);
    connect(&m_player, &MediaPlayer::outputReturned, this, &RingSound::onOutputReturned);
}

QString RingSound::outputFailure() const
{
    const QString problem = m_player.outputProblem();
    return problem.isEmpty() ? QString() : noOutput() + problem;
}

void RingSound::arm(const QString& path)
{
    m_armed = true;
    m_chosen = path;
    m_prepareFailed = false;
    // What was found about an earlier arming says nothing of this one.
    setNotices(QString(), m_failure.startsWith(noOutput()) ? m_failure : QString());
    prepare();
    // No sound module, no server reached: said now, not at the ring.
    setNotices(m_fileNotice, outputFailure());
}

void RingSound::disarm()
{
    callOffStartAhead();
    silence();
    // Off for good, unlike Sleep: the prepared file and what plays it are let go.
    m_player.release();
    m_armed = false;
    setNotices(QString(), QString());
}

void RingSound::choose(const QString& path)
{
    m_chosen = path;
    m_prepareFailed = false;
    // What was found about the sound chosen before, at arming or by a try, says nothing of this one.
    setNotices(QString(), m_failure.startsWith(noOutput()) ? m_failure : QString());
    if (m_armed && m_use != Use::Ring)
        prepare();
}

void RingSound::refresh()
{
    if (m_armed && m_use != Use::Ring)
        prepare();
}

void RingSound::prepare()
{
    // A file that ended the process preparing it is not fed to the next one: the tone is kept ready.
    m_player.prepare(m_prepareFailed ? MediaPlayer::builtInTonePath() : m_chosen);
    m_preparedAt = Clock::instance().now();
    m_resting = false;
    emit prepared();
}

QDateTime RingSound::restsAt() const
{
    if (!m_armed || m_resting || m_use == Use::Ring || !m_preparedAt.isValid())
        return QDateTime();
    // The first tick whose whole seconds since preparing reach the settling time.
    return m_preparedAt.addSecs(SettleSeconds + 1);
}

void RingSound::approach(const QTime& alarm, const QDateTime& now)
{
    if (m_use == Use::Ring)
        return;
    // An alarm set for the night weighs no more than a clock that waits: what plays the sound rests
    // until the ring draws near, then is prepared again, well ahead of the start before the second.
    if (now.secsTo(AlarmCrossing::next(alarm, now)) <= ReadySeconds) {
        if (m_resting)
            prepare();
    } else if (!m_resting && m_preparedAt.isValid() && m_preparedAt.secsTo(now) >= SettleSeconds &&
               m_player.outputProblem().isEmpty()) {
        // Not before what cannot play has had time to be found, nor while no output is there.
        m_resting = true;
        m_player.rest();
    }
    // The sound takes its time through the output: started a moment ahead of the alarm second, it
    // is heard at that second. The ring that follows confirms it; anything else calls it off.
    const QDateTime next = now.addMSecs(-now.time().msec()).addSecs(1);
    if (m_startingAhead || next.time() != alarm || m_prepareFailed)
        return;
    if (m_use == Use::Try) {
        silence();
        emit tryEnded();
    }
    m_startingAhead = true;
    m_player.startAt(m_chosen, next);
}

void RingSound::callOffStartAhead()
{
    if (!m_startingAhead)
        return;
    m_startingAhead = false;
    m_player.startAt(QString(), QDateTime());
}

void RingSound::ring(const QString& path)
{
    m_startingAhead = false;
    m_use = Use::Ring;
    m_path = path;
    m_fileFailed = false;
    m_fileUnplayable = false;
    m_player.setRaisesOutput(true);
    setSilent(false);
    play(Rung::File);
    // Known before the ring is announced, so the announcement can say it.
    setNotices(m_fileNotice, outputFailure());
}

void RingSound::tryOut(const QString& path)
{
    m_use = Use::Try;
    m_path = path;
    m_fileFailed = false;
    m_fileUnplayable = false;
    m_player.setRaisesOutput(false);
    play(Rung::File);
}

void RingSound::silence()
{
    const bool tried = m_use == Use::Try;
    m_use = Use::None;
    m_climb->stop();
    m_player.setFileName(QString());
    if (tried)
        m_player.setRaisesOutput(true);
    setSilent(false);
}

void RingSound::play(Rung rung)
{
    m_rung = rung;
    m_climb->stop();
    if (rung == Rung::File) {
        m_player.setFileName(m_path);
        return;
    }
    if (rung == Rung::Tone) {
        m_player.setFileName(MediaPlayer::builtInTonePath());
        return;
    }
    // A try makes no other way to be heard: it ends, and has said why.
    if (m_use == Use::Try) {
        silence();
        emit tryEnded();
        return;
    }
    m_player.setFileName(QString());
    setSilent(true);
    // Without an output nothing of ours is tried: its return climbs back (onOutputReturned).
    if (!m_failure.startsWith(noOutput()))
        m_climb->start(int(qMax<qint64>(m_toneRetries.untilFree(), 1000)));
}

void RingSound::climbBack()
{
    if (m_use != Use::Ring || m_rung != Rung::Desktop)
        return;
    if (!m_toneRetries.take()) {
        m_climb->start(int(qMax<qint64>(m_toneRetries.untilFree(), 1000)));
        return;
    }
    qCInfo(lcSound, "trying the ring's own sound again");
    // The file again unless it cannot play at all: a process that died or stalled may have been
    // the sound server's doing, not the file's. Why it was silent is no longer known to hold.
    setNotices(m_fileNotice, QString());
    setSilent(false);
    play(m_fileUnplayable ? Rung::Tone : Rung::File);
}

void RingSound::onCannotPlay(const QString& path, const QString& reason, PlayerBackend::Fault fault)
{
    qCWarning(lcSound, "cannot play %s: %s", qPrintable(path), qPrintable(reason));
    // A report about a sound no longer wanted (after OFF, in Sleep's silence, for a file chosen
    // during the ring) changes nothing.
    if (m_use == Use::None || m_rung == Rung::Desktop)
        return;
    const bool tone = m_rung == Rung::Tone;
    if (path != (tone ? MediaPlayer::builtInTonePath() : m_path))
        return;
    using Fault = PlayerBackend::Fault;
    if (fault == Fault::Output) {
        // Nothing of ours can be heard until the output is back.
        setNotices(m_fileNotice, noOutput() + reason);
        play(Rung::Desktop);
        return;
    }
    if (!tone) {
        // Never silent: the built-in tone, in a new sound process when the file ended the last one.
        m_fileFailed = true;
        m_fileUnplayable = fault == Fault::File;
        const QString fileNotice =
            fault == Fault::Process
                ? tr("%1 stopped the sound process; the built-in tone will ring").arg(fileName(path))
                : tr("%1 cannot be played; the built-in tone will ring").arg(fileName(path));
        setNotices(fileNotice, m_failure);
        play(Rung::Tone);
        return;
    }
    // A process killed from outside, or a sound server that restarted, is not the tone's fault.
    if (fault == Fault::Process && m_toneRetries.take()) {
        play(Rung::Tone);
        return;
    }
    setNotices(m_fileNotice,
               noAlarmSound() +
                   (fault == Fault::Process ? reason : tr("the built-in tone cannot be played (%1)").arg(reason)));
    play(Rung::Desktop);
}

void RingSound::onCannotPrepare(const QString& path, const QString& reason, PlayerBackend::Fault fault)
{
    // Told when the alarm is set, not in the morning; the alarm stays set and the tone will ring.
    if (!m_armed)
        return;
    if (path == MediaPlayer::builtInTonePath() && fault == PlayerBackend::Fault::Process) {
        // Not the file: even the tone ends the sound process.
        setNotices(QString(), noAlarmSound() + reason);
        return;
    }
    if (path != m_chosen || fault == PlayerBackend::Fault::Output)
        return;
    qCWarning(lcSound, "%s cannot be played (%s); the built-in tone will ring instead", qPrintable(path),
              qPrintable(reason));
    if (fault == PlayerBackend::Fault::Process) {
        setNotices(tr("%1 stopped the sound process; the built-in tone will ring").arg(fileName(path)), m_failure);
        m_prepareFailed = true;
        if (m_use != Use::Ring)
            prepare();
        return;
    }
    setNotices(tr("%1 cannot be played; the built-in tone will ring").arg(fileName(path)), m_failure);
}

void RingSound::onOutputLost()
{
    // Told while the alarm is set, not first at the ring.
    if (m_armed || m_use != Use::None)
        setNotices(m_fileNotice, outputFailure());
}

void RingSound::onOutputReturned()
{
    if (m_failure.startsWith(noOutput()))
        setNotices(m_fileNotice, QString());
    // Stood in only for want of an output: the top of the ladder again.
    if (m_use == Use::Ring && (m_rung == Rung::Desktop || (m_rung == Rung::Tone && !m_fileFailed))) {
        setSilent(false);
        play(m_fileFailed ? Rung::Tone : Rung::File);
    }
}

void RingSound::setNotices(const QString& fileNotice, const QString& failure)
{
    if (fileNotice == m_fileNotice && failure == m_failure)
        return;
    m_fileNotice = fileNotice;
    m_failure = failure;
    if (!failure.isEmpty())
        qCWarning(lcSound, "%s", qPrintable(failure));
    emit noticeChanged();
}

void RingSound::setSilent(bool silent)
{
    if (silent == m_silent)
        return;
    m_silent = silent;
    // The last step makes its sound itself, through the desktop's sound library, which needs neither
    // a banner nor the sound process; it stops as soon as the ring has a sound again, sleeps or ends.
    // Climbing back while it rings, it stops only once the ring's own sound has had the time to fail:
    // some noise is better than a gap while the sound program is tried again.
    m_lastResortEnds->stop();
    if (silent) {
        qCWarning(lcSound, "the ring has no sound of its own; the desktop's alarm sound plays");
        DesktopAlarmSound::instance().start(MediaPlayer::builtInTonePhrasePath());
    } else if (m_use == Use::Ring) {
        m_lastResortEnds->start();
    } else {
        DesktopAlarmSound::instance().stop();
    }
    emit silentChanged(silent);
}
