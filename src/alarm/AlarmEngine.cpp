#include "alarm/AlarmEngine.h"
#include "alarm/AlarmRepeat.h"
#include "alarm/AlarmWaiting.h"
#include "alarm/RingSound.h"
#include "alarm/SoundFolder.h"
#include "alarm/SoundTrial.h"

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
#include "core/RepeatDays.h"
#include "core/TimeText.h"
#include "platform/SystemSound.h"

#include <QAction>
#include <QPushButton>
#include <QScrollBar>

// Only what the packaged GStreamer plugins decode; the descriptions in the user's language.
QString AlarmEngine::noSoundRefusal()
{
    return tr("Please Choose A Sound For The Alarm");
}

QString AlarmEngine::soundFilter()
{
    return tr("Sound Files (*.mp3)") + QStringLiteral("| *.mp3|") + tr("All Sound Files") +
           QStringLiteral("| *.mp3;*.ogg;*.oga;*.opus;*.flac;*.wav");
}

AlarmEngine::AlarmEngine(AlarmControls controls)
    : m_c(std::move(controls)), m_repeat(new AlarmRepeat(this)), m_sound(new RingSound(*m_c.MediaPlayer1, this)),
      m_trial(new SoundTrial(m_c, *m_sound, this))
{
    connectControls();
    connect(m_sound, &RingSound::noticeChanged, this, &AlarmEngine::soundNoticeChanged);
    connect(m_sound, &RingSound::silentChanged, this, &AlarmEngine::ringSilentChanged);
    new AlarmWaiting(*this, m_c, *m_sound, this);
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
    connect(f.Text2, &QLineEdit::textChanged, this, &AlarmEngine::Text2_Change);
    connect(f.Command4, &QPushButton::clicked, this, &AlarmEngine::Command4_Click);
    connect(f.sound, &QAction::triggered, this, &AlarmEngine::sound_Click);
    connect(f.trySound, &QAction::triggered, this, &AlarmEngine::trySound_Click);
}

bool AlarmEngine::trying() const
{
    return m_trial->running();
}

bool AlarmEngine::isPlayingBuiltInTone() const
{
    return m_sound->playingBuiltInTone();
}

bool AlarmEngine::ringSilent() const
{
    return m_sound->silent();
}

QString AlarmEngine::soundNotice() const
{
    return m_sound->notice();
}

bool AlarmEngine::armed() const
{
    return m_c.Command2->isEnabled();
}

bool AlarmEngine::ringing() const
{
    return m_c.Command3->isEnabled() && !m_c.Timer6->Enabled();
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
    m_sound->refresh();
}

void AlarmEngine::lookBackTo(const QDateTime& since)
{
    m_previousMatchTick = since;
    judgeNow();
}

void AlarmEngine::Timer4_Timer()
{
    m_c.Text1->setText(TimeText::now());
    checkUnanswered();
    m_trial->tick();
}

void AlarmEngine::checkUnanswered()
{
    // Nobody there: the output is not kept raised all day.
    switch (m_nobodyThere.tick()) {
    case UnansweredRing::Step::Ring:
        return;
    case UnansweredRing::Step::Snooze:
        snooze();
        return;
    case UnansweredRing::Step::FallSilent:
        endUnanswered();
        return;
    }
}

void AlarmEngine::endUnanswered()
{
    const QString text = m_c.Text2->text();
    // Still set, for the same time tomorrow, as after an alarm missed while asleep.
    endRingForNextDay();
    setMissed(text, true);
    emit ringEnded();
    emit ringUnanswered(text);
    m_sound->refresh();
}

void AlarmEngine::endRingForNextDay()
{
    m_sound->silence();
    m_c.Timer5->setEnabled(false);
    m_c.Timer6->setEnabled(false);
    m_c.HScroll1->setValue(-3000);
    if (m_c.Command3->hasFocus())
        m_c.Command2->setFocus(Qt::OtherFocusReason);
    m_c.Command3->setEnabled(false);
    AlarmDue = false;
    m_previousMatchTick = Clock::instance().now();
    m_c.Timer3->setEnabled(true);
    m_c.Timer1->setEnabled(true);
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
    // An armed ring still to come: its sound kept ready, and started ahead of the second; on a day
    // that does not ring, nothing is started for it.
    const QDateTime coming = AlarmCrossing::next(*alarm, now);
    if (result == AlarmCrossing::Result::None && armed() && !AlarmDue && m_c.Timer1->Enabled() &&
        (m_repeat->ringsOn(coming.date()) || now.secsTo(coming) > RingSound::ReadySeconds))
        m_sound->approach(*alarm, now);
    // A match seen while disarmed is not kept for a later arming.
    if (result == AlarmCrossing::Result::None || !armed())
        return;
    // A day not chosen, or the skipped ring, passes in silence and is no miss.
    if (const QDate day = RepeatDays::lastAlarmDate(*alarm, now); !m_repeat->ringsOn(day)) {
        m_repeat->passed(day);
        return;
    }
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

void AlarmEngine::setMissed(const QString& alarmText, bool unanswered)
{
    unanswered = unanswered && !alarmText.isEmpty();
    if (alarmText == m_missed && unanswered == m_unanswered)
        return;
    m_missed = alarmText;
    m_unanswered = unanswered;
    if (!m_missed.isEmpty())
        m_c.Text5->setText(tr("Missed"));
    else if (armed())
        showArmedStatus();
    emit missedChanged(m_missed);
}

void AlarmEngine::showArmedStatus()
{
    // While armed the status tells whether the text in the alarm box can ring at all.
    const bool rings = AlarmCrossing::parse(m_c.Text2->text()).has_value();
    m_c.Text5->setText(rings ? tr("Alarm Set") : tr("Not Set"));
}

void AlarmEngine::Text2_Change()
{
    m_sound->callOffStartAhead();
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
    m_trial->stop();
    startSound();
    m_nobodyThere.answered();
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
    m_nobodyThere.ringing();
    m_sound->ring(SoundPath);
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

QString AlarmEngine::Command1_Click()
{
    m_trial->stop();
    if (SoundPath.isEmpty())
        return noSoundRefusal();
    // Only a time that can ring is armed; blanks around it are the keyboard's, not the user's intent.
    const std::optional<QTime> alarm = AlarmCrossing::read(m_c.Text2->text());
    if (!alarm)
        return tr("Please Enter The Alarm Time As HH:MM:SS");
    const QString text = TimeText::of(*alarm);
    if (text != m_c.Text2->text())
        m_c.Text2->setText(text);
    m_c.Timer1->setEnabled(true);
    m_c.Command1->setEnabled(false);
    m_c.Command2->setEnabled(true);
    m_c.Text5->setText(tr("Alarm Set"));
    // Bring the sound system up now, so the ring only has to start the file.
    m_sound->arm(SoundPath);
    emit armedChanged(true);
    return QString();
}

void AlarmEngine::Command2_Click()
{
    m_trial->stop();
    m_nobodyThere.silenced();
    m_nobodyThere.answered();
    m_sound->disarm();
    m_c.HScroll1->setValue(-3000);
    AlarmDue = false;
    m_c.Timer3->setEnabled(true);
    m_c.Command1->setEnabled(true);
    // The keyboard's place goes to ON, not to whatever follows the buttons that are switched off.
    if (m_c.Command2->hasFocus() || m_c.Command3->hasFocus())
        m_c.Command1->setFocus(Qt::OtherFocusReason);
    m_c.Command2->setEnabled(false);
    m_c.Text5->setText(tr("Not Set"));
    // OFF ends the alarm for good: no fade left to make the next ring loud, no snooze to re-ring.
    m_c.Timer5->setEnabled(false);
    m_c.Timer6->setEnabled(false);
    m_c.Command3->setEnabled(false);
    setMissed(QString());
    emit ringEnded();
    emit armedChanged(false);
}

void AlarmEngine::silenceUntilNextDay()
{
    m_trial->stop();
    m_nobodyThere.silenced();
    m_nobodyThere.answered();
    endRingForNextDay();
    setMissed(QString());
    showArmedStatus();
    emit ringEnded();
    m_sound->refresh();
}

void AlarmEngine::Command3_Click()
{
    m_nobodyThere.answered();
    snooze();
}

void AlarmEngine::snooze()
{
    m_nobodyThere.silenced();
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
        m_sound->silence();
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
    m_trial->toggle(SoundPath, m_sound->ringing() || m_c.Timer6->Enabled());
}

void AlarmEngine::chooseSound()
{
    CommonDialog* dialog = m_c.CommonDialog1;
    dialog->setFilter(soundFilter());
    dialog->setInitDir(SoundFolder::initial());
    // A cancel keeps the sound chosen before, also one restored from the settings.
    if (!dialog->ShowOpen(m_c.window))
        return;
    // The settings keep one line: a name with a line break would come back as another file.
    const QString chosen = dialog->FileName();
    if (chosen.contains(u'\n') || chosen.contains(u'\r') || chosen.contains(QChar(0))) {
        MessageBox::warning(m_c.window, MessageBox::title(),
                            tr("This sound cannot be kept: its name has a line break, which the settings file "
                               "cannot hold. Rename the file or choose another one."));
        return;
    }
    SoundPath = chosen;
    // Prepared for the next ring; a ring now goes on with its own sound.
    m_sound->choose(SoundPath);
}
