#include "alarm/AlarmEngine.h"
#include "alarm/SoundFolder.h"

#include "alarm/SnoozeLength.h"
#include "alarm/SnoozeMinutes.h"
#include "controls/CommonDialog.h"
#include "controls/MediaPlayer.h"
#include "controls/MessageBox.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "core/AlarmCrossing.h"
#include "core/Clock.h"
#include "core/LogCategories.h"
#include "core/TimeText.h"
#include "platform/SystemSound.h"

#include <QAction>
#include <QFileInfo>
#include <QPushButton>
#include <QScrollBar>

namespace {
// Only what the packaged GStreamer plugins decode.
const QString SoundFilter =
    QStringLiteral("Sound Files (*.mp3)| *.mp3|All Sound Files| *.mp3;*.ogg;*.oga;*.opus;*.flac;*.wav");
const QString NoOutputNotice = QStringLiteral("No sound output: ");
const QString CannotBeHeard = QStringLiteral("the alarm cannot be heard");
} // namespace

AlarmEngine::AlarmEngine(AlarmControls controls) : m_c(std::move(controls))
{
    connectControls();
}

void AlarmEngine::connectControls()
{
    const AlarmControls& f = m_c;
    connect(f.Timer4, &Timer::tick, this, &AlarmEngine::Timer4_Timer);
    connect(f.Timer3, &Timer::tick, this, &AlarmEngine::Timer3_Timer);
    connect(f.Timer1, &Timer::tick, this, &AlarmEngine::Timer1_Timer);
    connect(f.Timer5, &Timer::tick, this, &AlarmEngine::Timer5_Timer);
    connect(f.Timer6, &Timer::tick, this, &AlarmEngine::Timer6_Timer);
    // The clock shows the second first, then the match sees it, then the ring check acts on it.
    f.Timer4->setAlignedToSecond(0);
    f.Timer3->setAlignedToSecond(1);
    f.Timer1->setAlignedToSecond(2);
    connect(f.HScroll1, &QScrollBar::valueChanged, this, &AlarmEngine::HScroll1_Change);
    connect(f.HScroll1, &QScrollBar::sliderMoved, this, &AlarmEngine::HScroll1_Scroll);
    connect(f.Command1, &QPushButton::clicked, this, &AlarmEngine::Command1_Click);
    connect(f.Command2, &QPushButton::clicked, this, &AlarmEngine::Command2_Click);
    connect(f.Command3, &QPushButton::clicked, this, &AlarmEngine::Command3_Click);
    connect(f.Text2, &QLineEdit::textChanged, this, &AlarmEngine::Text2_Change);
    connect(f.Command4, &QPushButton::clicked, this, &AlarmEngine::Command4_Click);
    connect(f.sound, &QAction::triggered, this, &AlarmEngine::sound_Click);
    f.trySound->setCheckable(true);
    connect(f.trySound, &QAction::triggered, this, &AlarmEngine::trySound_Click);
    connect(f.MediaPlayer1, &MediaPlayer::cannotPlay, this, &AlarmEngine::onCannotPlay);
    connect(f.MediaPlayer1, &MediaPlayer::cannotPrepare, this, &AlarmEngine::onCannotPrepare);
    connect(f.MediaPlayer1, &MediaPlayer::outputLost, this, [this] {
        // Told while the alarm is set, not first at the ring.
        if (armed())
            setSoundNotice(m_fileNotice, true);
    });
    connect(f.MediaPlayer1, &MediaPlayer::outputReturned, this, &AlarmEngine::onOutputReturned);
}

bool AlarmEngine::armed() const
{
    return m_c.Command2->isEnabled();
}

QString AlarmEngine::alarmText() const
{
    return m_c.Text2->text();
}

QDateTime AlarmEngine::reRingAt() const
{
    if (!m_c.Timer6->Enabled() || !m_snoozeStart.isValid())
        return QDateTime();
    return m_snoozeStart.addSecs(SnoozeLength::seconds(SnoozeMinutes));
}

void AlarmEngine::judgeNow()
{
    if (m_c.Timer3->Enabled())
        Timer3_Timer();
    if (m_c.Timer1->Enabled())
        Timer1_Timer();
    // The sound server may have restarted while the computer slept; a prepared sound that died with
    // it is built again.
    if (armed() && !m_sounding)
        prepareSound();
}

void AlarmEngine::Timer4_Timer()
{
    m_c.Text1->setText(TimeText::now());
    checkUnanswered();
    if (trying() && m_tryingSince.secsTo(Clock::instance().now()) >= TrySeconds)
        stopTry();
}

void AlarmEngine::checkUnanswered()
{
    // Nobody there: the output is not kept raised all day. The ring snoozes as Sleep would, a few
    // times, then stops.
    if (!m_sounding || !m_ringingSince.isValid() || m_ringingSince.secsTo(Clock::instance().now()) < UnansweredSeconds)
        return;
    if (m_unansweredSnoozes >= UnansweredSnoozes) {
        endUnanswered();
        return;
    }
    ++m_unansweredSnoozes;
    snooze();
}

void AlarmEngine::endUnanswered()
{
    const QString text = m_c.Text2->text();
    m_sounding = false;
    m_ringingSince = QDateTime();
    m_unansweredSnoozes = 0;
    m_c.MediaPlayer1->setFileName(QString());
    m_playingTone = false;
    setSilent(false);
    m_c.Timer5->setEnabled(false);
    m_c.HScroll1->setValue(-3000);
    if (m_c.Command3->hasFocus())
        m_c.Command2->setFocus(Qt::OtherFocusReason);
    m_c.Command3->setEnabled(false);
    // Still set, for the same time tomorrow, as after an alarm missed while asleep.
    AlarmDue = false;
    m_previousMatchTick = Clock::instance().now();
    m_c.Timer3->setEnabled(true);
    m_c.Timer1->setEnabled(true);
    setMissed(text, true);
    emit ringEnded();
    emit ringUnanswered(text);
    prepareSound();
}

void AlarmEngine::Timer3_Timer()
{
    const QDateTime now = Clock::instance().now();
    const QDateTime previous = m_previousMatchTick;
    m_previousMatchTick = now;
    // Text that is no time of day never rings; the box may hold anything the user typed.
    const std::optional<QTime> alarm = AlarmCrossing::parse(m_c.Text2->text());
    if (!alarm)
        return;
    const AlarmCrossing::Result result = AlarmCrossing::check(*alarm, previous, now, CatchUpSeconds);
    // An armed ring still to come: its sound kept ready, and started ahead of the second.
    if (result == AlarmCrossing::Result::None && armed() && !AlarmDue && m_c.Timer1->Enabled()) {
        keepSoundReady(*alarm, now);
        startAheadOfRing(*alarm, now);
    }
    // A match seen while disarmed is not kept for a later arming.
    if (result == AlarmCrossing::Result::None || !armed())
        return;
    if (result == AlarmCrossing::Result::Missed) {
        // Asleep or the clock jumped: a ring now would come long after the time. Say so and stay
        // armed for the same time tomorrow.
        setMissed(m_c.Text2->text(), false);
        return;
    }
    setMissed(QString());
    AlarmDue = true;
    m_c.Timer3->setEnabled(false);
}

void AlarmEngine::startAheadOfRing(const QTime& alarm, const QDateTime& now)
{
    // The sound takes its time through the output: started a moment ahead of the alarm second, it
    // is heard at that second. The ring that follows confirms it; anything else calls it off.
    if (m_startingAhead)
        return;
    const QDateTime whole = now.addMSecs(-now.time().msec());
    const QDateTime next = whole.addSecs(1);
    if (next.time() != alarm)
        return;
    stopTry();
    m_startingAhead = true;
    m_c.MediaPlayer1->startAt(SoundPath, next);
}

void AlarmEngine::prepareSound()
{
    m_c.MediaPlayer1->prepare(SoundPath);
    m_soundPreparedAt = Clock::instance().now();
    m_soundResting = false;
}

void AlarmEngine::keepSoundReady(const QTime& alarm, const QDateTime& now)
{
    // An alarm set for the night weighs no more than a clock that waits: what plays the sound rests
    // until the ring draws near, then is prepared again, well ahead of the start before the second.
    if (m_sounding)
        return;
    if (now.secsTo(AlarmCrossing::next(alarm, now)) <= SoundReadySeconds) {
        if (m_soundResting)
            prepareSound();
        return;
    }
    // Not before what cannot play has had time to be found, nor while no output is there: that is
    // looked for again while the sound stays prepared.
    if (!m_soundResting && m_soundPreparedAt.isValid() && m_soundPreparedAt.secsTo(now) >= SoundSettleSeconds &&
        m_c.MediaPlayer1->outputProblem().isEmpty()) {
        m_soundResting = true;
        m_c.MediaPlayer1->rest();
    }
}

void AlarmEngine::callOffStartAhead()
{
    if (!m_startingAhead)
        return;
    m_startingAhead = false;
    m_c.MediaPlayer1->startAt(QString(), QDateTime());
}

void AlarmEngine::setMissed(const QString& alarmText, bool unanswered)
{
    unanswered = unanswered && !alarmText.isEmpty();
    if (alarmText == m_missed && unanswered == m_unanswered)
        return;
    m_missed = alarmText;
    m_unanswered = unanswered;
    if (!m_missed.isEmpty())
        m_c.Text5->setText(QStringLiteral("Missed"));
    else if (armed())
        showArmedStatus();
    emit missedChanged(m_missed);
}

void AlarmEngine::showArmedStatus()
{
    // While armed the status tells whether the text in the alarm box can ring at all.
    const bool rings = AlarmCrossing::parse(m_c.Text2->text()).has_value();
    m_c.Text5->setText(rings ? QStringLiteral("Alarm Set") : QStringLiteral("Not Set"));
}

void AlarmEngine::Text2_Change()
{
    callOffStartAhead();
    if (!armed())
        return;
    emit alarmTimeChanged();
    // A new time is a new promise; an old miss no longer describes it.
    if (!m_missed.isEmpty()) {
        setMissed(QString());
        return;
    }
    showArmedStatus();
}

void AlarmEngine::Timer1_Timer()
{
    if (!(AlarmDue && armed()))
        return;
    // The alarm sound first: everything else the ring does can wait a few milliseconds, the ear not.
    stopTry();
    m_startingAhead = false;
    startSound();
    m_unansweredSnoozes = 0;
    SnoozeCount = 0;
    SystemSound::instance().play(SoundPath);
    m_c.Command3->setEnabled(true);
    m_c.showMainWindow();
    m_c.Timer1->setEnabled(false);
    m_c.Timer5->setEnabled(true);
    emit ringStarted(m_c.Text2->text());
}

void AlarmEngine::startSound()
{
    m_sounding = true;
    m_ringingSince = Clock::instance().now();
    m_playingTone = false;
    m_ringPath = SoundPath;
    m_c.MediaPlayer1->setFileName(m_ringPath);
    // Known before the ring is announced, so the announcement can say it.
    setSoundNotice(m_fileNotice, !m_c.MediaPlayer1->outputProblem().isEmpty());
}

QString AlarmEngine::soundNotice() const
{
    return m_noOutput ? NoOutputNotice + (m_outputProblem.isEmpty() ? CannotBeHeard : m_outputProblem) : m_fileNotice;
}

void AlarmEngine::setSoundNotice(const QString& fileNotice, bool noOutput)
{
    // Why there is no output is the player's word at the moment it is found.
    const QString problem = noOutput ? m_c.MediaPlayer1->outputProblem() : QString();
    if (fileNotice == m_fileNotice && noOutput == m_noOutput && problem == m_outputProblem)
        return;
    m_fileNotice = fileNotice;
    m_noOutput = noOutput;
    m_outputProblem = problem;
    if (noOutput)
        qCWarning(lcSound, "%s", qPrintable(soundNotice()));
    emit soundNoticeChanged();
}

void AlarmEngine::setSilent(bool silent)
{
    if (silent == m_silent)
        return;
    m_silent = silent;
    if (silent)
        qCWarning(lcSound, "the ring has no sound of its own; it is made heard through the desktop");
    emit ringSilentChanged(silent);
}

void AlarmEngine::onCannotPlay(const QString& path, const QString& reason)
{
    qCWarning(lcSound, "cannot play %s: %s", qPrintable(path), qPrintable(reason));
    const bool tone = path == MediaPlayer::builtInTonePath();
    // A try falls back as the ring would, and says so; it makes no other way to be heard.
    if (trying() && (path == m_tryPath || tone)) {
        const bool noOutput = !m_c.MediaPlayer1->outputProblem().isEmpty();
        if (noOutput || tone) {
            setSoundNotice(m_fileNotice, noOutput || m_noOutput);
            stopTry();
            return;
        }
        setSoundNotice(toneNotice(path), m_noOutput);
        m_c.MediaPlayer1->setFileName(MediaPlayer::builtInTonePath());
        return;
    }
    // A report that arrives after OFF, Sleep's silence or another sound is about nothing now
    // wanted: it must not start the tone. A sound chosen during the ring is not what rings.
    if (!m_sounding || (path != m_ringPath && !tone))
        return;
    if (!m_c.MediaPlayer1->outputProblem().isEmpty())
        setSoundNotice(m_fileNotice, true);
    // Never silent: the built-in tone takes over, once; if even that fails, the desktop's own means.
    if (m_playingTone || tone) {
        setSoundNotice(m_fileNotice, true);
        setSilent(true);
        return;
    }
    m_playingTone = true;
    m_c.MediaPlayer1->setFileName(MediaPlayer::builtInTonePath());
}

void AlarmEngine::onCannotPrepare(const QString& path, const QString& reason)
{
    // Told when the alarm is set, not in the morning; the alarm stays set and the tone will ring.
    if (!armed() || path != SoundPath)
        return;
    qCWarning(lcSound, "%s cannot be played (%s); the built-in tone will ring instead", qPrintable(path),
              qPrintable(reason));
    setSoundNotice(toneNotice(path), m_noOutput);
}

QString AlarmEngine::toneNotice(const QString& path) const
{
    return QStringLiteral("%1 cannot be played; the built-in tone will ring").arg(QFileInfo(path).fileName());
}

void AlarmEngine::onOutputReturned()
{
    setSoundNotice(m_fileNotice, false);
    setSilent(false);
    // The tone stood in only for want of an output: the user's own sound again.
    if (m_sounding && m_playingTone) {
        m_playingTone = false;
        m_c.MediaPlayer1->setFileName(m_ringPath);
    }
}

void AlarmEngine::HScroll1_Change()
{
    m_c.MediaPlayer1->setVolume(m_c.HScroll1->value());
}

void AlarmEngine::HScroll1_Scroll()
{
    HScroll1_Change();
}

void AlarmEngine::Timer5_Timer()
{
    QScrollBar* bar = m_c.HScroll1;
    const int v = bar->value();
    if (v > -5)
        m_c.Timer5->setEnabled(false);
    // The bar's top is 0: never write above it.
    if (bar->value() < 0)
        bar->setValue(bar->value() + 1);
    m_c.MediaPlayer1->setVolume(bar->value());
}

void AlarmEngine::Command1_Click()
{
    stopTry();
    if (SoundPath.isEmpty()) {
        MessageBox::information(m_c.window, QStringLiteral("Kestrune"),
                                QStringLiteral("Please Choose A Sound For The Alarm"));
        return;
    }
    // Only a time that can ring is armed; blanks around it are the keyboard's, not the user's intent.
    const QString text = m_c.Text2->text().trimmed();
    if (!AlarmCrossing::parse(text)) {
        MessageBox::information(m_c.window, QStringLiteral("Kestrune"),
                                QStringLiteral("Please Enter The Alarm Time As HH:MM:SS"));
        return;
    }
    if (text != m_c.Text2->text())
        m_c.Text2->setText(text);
    m_c.Timer1->setEnabled(true);
    m_c.Command1->setEnabled(false);
    m_c.Command2->setEnabled(true);
    m_c.Text5->setText(QStringLiteral("Alarm Set"));
    // Bring the sound system up now, so the ring only has to start the file; what cannot make a
    // sound at all (no sound module, no server reached) is said now, not at the ring.
    setSoundNotice(QString(), m_noOutput);
    prepareSound();
    setSoundNotice(m_fileNotice, !m_c.MediaPlayer1->outputProblem().isEmpty());
    emit armedChanged(true);
}

void AlarmEngine::Command2_Click()
{
    stopTry();
    callOffStartAhead();
    m_sounding = false;
    m_ringingSince = QDateTime();
    m_unansweredSnoozes = 0;
    m_c.MediaPlayer1->setFileName(QString());
    // Off for good, unlike Sleep: the prepared file and what plays it are let go.
    m_c.MediaPlayer1->release();
    m_playingTone = false;
    setSilent(false);
    setSoundNotice(QString(), false);
    m_c.HScroll1->setValue(-3000);
    AlarmDue = false;
    m_c.Timer3->setEnabled(true);
    m_c.Command1->setEnabled(true);
    // The keyboard's place goes to ON, not to whatever follows the buttons that are switched off.
    if (m_c.Command2->hasFocus() || m_c.Command3->hasFocus())
        m_c.Command1->setFocus(Qt::OtherFocusReason);
    m_c.Command2->setEnabled(false);
    m_c.Text5->setText(QStringLiteral("Not Set"));
    // OFF ends the alarm for good: no fade left to make the next ring loud, no snooze to re-ring.
    m_c.Timer5->setEnabled(false);
    m_c.Timer6->setEnabled(false);
    m_c.Command3->setEnabled(false);
    setMissed(QString());
    emit ringEnded();
    emit armedChanged(false);
}

void AlarmEngine::Command3_Click()
{
    // Someone is there: a ring that follows may again go unanswered for as long as the first.
    m_unansweredSnoozes = 0;
    snooze();
}

void AlarmEngine::snooze()
{
    m_ringingSince = QDateTime();
    // A second Sleep does not restart the countdown.
    if (!m_c.Timer6->Enabled())
        m_snoozeStart = Clock::instance().now();
    m_c.Timer6->setEnabled(true);
    emit ringEnded();
}

void AlarmEngine::Timer6_Timer()
{
    // Counted on the wall clock, at least a second a tick: a suspend during the snooze does not
    // stretch it, and a clock that stands still does not stop it.
    const qint64 slept = m_snoozeStart.isValid() ? m_snoozeStart.secsTo(Clock::instance().now()) : 0;
    SnoozeCount = qint16(qBound(qint64(SnoozeCount) + 1, slept, qint64(32767)));
    const qint16 length = SnoozeLength::seconds(SnoozeMinutes);
    if (SnoozeCount < length) {
        m_sounding = false;
        m_c.MediaPlayer1->setFileName(QString());
        m_playingTone = false;
        setSilent(false);
        m_c.HScroll1->setValue(-3000);
        AlarmDue = false;
        return;
    }
    SnoozeCount = 0;
    m_snoozeStart = QDateTime();
    m_c.showMainWindow();
    // The sound chosen now: one picked during the ring was kept for this re-ring; after a restart, the
    // one restored from the settings.
    startSound();
    m_c.Timer1->setEnabled(false);
    m_c.Timer5->setEnabled(true);
    m_c.Timer6->setEnabled(false);
    m_c.HScroll1->setValue(-3000);
    emit ringStarted(m_c.Text2->text());
}

void AlarmEngine::Command4_Click()
{
    chooseSound();
}

void AlarmEngine::sound_Click()
{
    chooseSound();
}

void AlarmEngine::trySound_Click()
{
    if (trying()) {
        stopTry();
        return;
    }
    // The ring, and the silence of a snooze, are the alarm's own.
    if (m_sounding || m_c.Timer6->Enabled()) {
        m_c.trySound->setChecked(false);
        return;
    }
    if (SoundPath.isEmpty()) {
        m_c.trySound->setChecked(false);
        MessageBox::information(m_c.window, QStringLiteral("Kestrune"),
                                QStringLiteral("Please Choose A Sound For The Alarm"));
        return;
    }
    // As the ring plays it, fade and all, but neither raising the output nor arming anything.
    m_tryingSince = Clock::instance().now();
    m_tryPath = SoundPath;
    m_c.trySound->setChecked(true);
    m_c.HScroll1->setValue(-3000);
    m_c.MediaPlayer1->setVolume(-3000);
    m_c.MediaPlayer1->setRaisesOutput(false);
    m_c.MediaPlayer1->setFileName(m_tryPath);
    m_c.Timer5->setEnabled(true);
}

void AlarmEngine::stopTry()
{
    if (!trying())
        return;
    m_tryingSince = QDateTime();
    m_c.trySound->setChecked(false);
    m_c.Timer5->setEnabled(false);
    m_c.MediaPlayer1->setFileName(QString());
    m_c.MediaPlayer1->setRaisesOutput(true);
    m_c.HScroll1->setValue(-3000);
}

void AlarmEngine::chooseSound()
{
    CommonDialog* dialog = m_c.CommonDialog1;
    dialog->setFilter(SoundFilter);
    dialog->setInitDir(SoundFolder::initial());
    // A cancel keeps the sound chosen before, also one restored from the settings.
    if (!dialog->ShowOpen(m_c.window))
        return;
    // The settings keep one line: a name with a line break would come back as another file.
    const QString chosen = dialog->FileName();
    if (chosen.contains(u'\n') || chosen.contains(u'\r') || chosen.contains(QChar(0))) {
        MessageBox::warning(m_c.window, QStringLiteral("Kestrune"),
                            QStringLiteral("This sound cannot be kept: its name has a line break, which the settings "
                                           "file cannot hold. Rename the file or choose another one."));
        return;
    }
    SoundPath = chosen;
    // Prepared for the next ring; a ring now goes on with its own sound.
    // What was found about the sound chosen before, at arming or by a try, says nothing of this one.
    setSoundNotice(QString(), m_noOutput);
    if (armed())
        prepareSound();
}
