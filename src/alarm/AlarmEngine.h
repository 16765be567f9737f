#pragma once

#include "alarm/AlarmControls.h"
#include "alarm/UnansweredRing.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class AlarmRepeat;
class RingSound;
class SoundTrial;

// The main window's alarm: the clock, the match with the alarm time, the ring, arming, the fade-in,
// the snooze, the missed alarm and the choice of the sound. Its state lives in the window's controls
// (the armed state is "OFF" enabled), in the three public variables below and in the private members
// at the end. What the ring plays, and whether it is heard, is RingSound's; the count of a ring nobody
// answers, UnansweredRing's; the ways in, AlarmCommands'.

class AlarmEngine : public QObject {
    Q_OBJECT
public:
    explicit AlarmEngine(AlarmControls controls);

    QString SoundPath;
    bool AlarmDue = false;
    qint16 SnoozeCount = 0;

    // How far back a late match tick still looks for the alarm second.
    static constexpr int CatchUpSeconds = 600;
    // The sound dialog's filter, its descriptions in the user's language.
    static QString soundFilter();
    // What ON and "Try Alarm Sound" say when no sound is chosen.
    static QString noSoundRefusal();

    void Timer4_Timer(); // clock
    void Timer3_Timer(); // match
    void Timer1_Timer(); // ring check
    void Timer5_Timer(); // fade step
    void Timer6_Timer(); // snooze tick
    void Text2_Change(); // the alarm box
    void HScroll1_Change();
    void HScroll1_Scroll();
    // ON, OFF and Sleep, reached through AlarmCommands. ON says what it refused; empty when armed.
    QString Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click(); // Select Alarm Sound
    void sound_Click();    // the menu's Choose Alarm Sound
    void trySound_Click(); // the menu's Try Alarm Sound: starts, or stops, the sound as the ring plays it
    bool trying() const;

    bool isPlayingBuiltInTone() const;
    // The ring can make no sound of its own (no sound program, no output, even the tone failed):
    // it must be made heard some other way until Sleep or OFF.
    bool ringSilent() const;
    // Armed exactly while "OFF" can be pressed: the button stays the truth, this names it.
    bool armed() const;
    // Rung and neither snoozed nor answered with OFF.
    bool ringing() const;
    QString alarmText() const;
    // When the snooze rings again; invalid unless a snooze counts down.
    QDateTime reRingAt() const;
    // Back from a suspend: the match and the ring check look at the clock now, not at their next tick.
    void judgeNow();
    // Started again with a repeating alarm set: a ring since that moment rings now or is missed.
    void lookBackTo(const QDateTime& since);
    // The days the alarm repeats on, and the skipped ring.
    AlarmRepeat& repeat() const { return *m_repeat; }
    // OFF at a ring of a repeating alarm: silenced, and set for the next chosen day.
    void silenceUntilNextDay();
    // The alarm time that went by unrung, while that is the news.
    const QString& missed() const { return m_missed; }
    // The missed alarm rang, but nobody answered it.
    bool missedUnanswered() const { return m_unanswered; }
    // What the user should know about the sound, for the tray tip and the ring's notification:
    // no sound output at all, or a chosen file that cannot be played. Empty when all is well.
    QString soundNotice() const;

signals:
    void armedChanged(bool armed);
    // The alarm box changed while armed.
    void alarmTimeChanged();
    // A ring or a re-ring has begun; the text is the alarm box's.
    void ringStarted(const QString& alarmText);
    // The ringing stopped: OFF, Sleep, or a ring nobody answered snoozing or falling silent.
    void ringEnded();
    // A ring nobody answered has fallen silent for good; the alarm stays set for the next day.
    void ringUnanswered(const QString& alarmText);
    // The alarm time went by unrung (the machine slept or the clock jumped); empty once that is over.
    void missedChanged(const QString& alarmText);
    void soundNoticeChanged();
    void ringSilentChanged(bool silent);

private:
    void connectControls();
    void chooseSound();
    void startSound();
    void setMissed(const QString& alarmText, bool unanswered = false);
    void snooze();
    void checkUnanswered();
    void endUnanswered();
    void showArmedStatus();
    // Silenced, and watching for the alarm time on the next day it rings.
    void endRingForNextDay();

    const AlarmControls m_c;
    AlarmRepeat* m_repeat;
    RingSound* m_sound;
    SoundTrial* m_trial;
    QDateTime m_previousMatchTick; // the clock at the previous match tick
    QDateTime m_snoozeStart;       // the clock when Sleep was pressed
    QString m_missed;              // the alarm time that went by unrung, while that is the news
    bool m_unanswered = false;     // ... because nobody answered its ring
    UnansweredRing m_nobodyThere;  // the count of a ring nobody answers
};
