#pragma once

#include "alarm/AlarmControls.h"

#include <QDateTime>
#include <QObject>
#include <QString>

// The main window's alarm: the clock, the match with the alarm time, the ring, arming, the fade-in,
// the snooze and the choice of the sound. Its state lives in the window's controls and in the
// three variables below.
class AlarmEngine : public QObject {
    Q_OBJECT
public:
    explicit AlarmEngine(AlarmControls controls);

    QString SoundPath;
    bool AlarmDue = false;
    qint16 SnoozeCount = 0;

    // How far back a late match tick still looks for the alarm second.
    static constexpr int CatchUpSeconds = 600;
    // While armed, the sound is kept prepared from this long before the ring; further off, once the
    // file and the output were found fine at arming, what plays it rests.
    static constexpr int SoundReadySeconds = 30;
    // The time given after preparing to find that the file or the output cannot play.
    static constexpr int SoundSettleSeconds = 10;
    // A ring nobody answers snoozes by itself after this long, this many times, then falls silent.
    static constexpr int UnansweredSeconds = 600;
    static constexpr int UnansweredSnoozes = 3;
    // A sound tried out plays at most this long.
    static constexpr int TrySeconds = 30;

    void Timer4_Timer(); // clock
    void Timer3_Timer(); // match
    void Timer1_Timer(); // ring check
    void Timer5_Timer(); // fade step
    void Timer6_Timer(); // snooze tick
    void Text2_Change(); // the alarm box
    void HScroll1_Change();
    void HScroll1_Scroll();
    void Command1_Click(); // ON
    void Command2_Click(); // OFF
    void Command3_Click(); // Sleep
    void Command4_Click(); // Select Alarm Sound
    void sound_Click();    // the menu's Choose Alarm Sound
    void trySound_Click(); // the menu's Try Alarm Sound: starts, or stops, the sound as the ring plays it
    bool trying() const { return m_tryingSince.isValid(); }

    bool isPlayingBuiltInTone() const { return m_playingTone; }
    // The ring can make no sound of its own (no sound program, no output, even the tone failed):
    // it must be made heard some other way until Sleep or OFF.
    bool ringSilent() const { return m_silent; }
    // Armed exactly while "OFF" can be pressed: the button stays the truth, this names it.
    bool armed() const;
    QString alarmText() const;
    // When the snooze rings again; invalid unless a snooze counts down.
    QDateTime reRingAt() const;
    // Back from a suspend: the match and the ring check look at the clock now, not at their next tick.
    void judgeNow();
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
    void onCannotPlay(const QString& path, const QString& reason);
    void onCannotPrepare(const QString& path, const QString& reason);
    void onOutputReturned();
    void setSoundNotice(const QString& fileNotice, bool noOutput);
    void setSilent(bool silent);
    void setMissed(const QString& alarmText, bool unanswered = false);
    void snooze();
    void checkUnanswered();
    void endUnanswered();
    void startAheadOfRing(const QTime& alarm, const QDateTime& now);
    void prepareSound();
    void keepSoundReady(const QTime& alarm, const QDateTime& now);
    void callOffStartAhead();
    void showArmedStatus();
    void stopTry();
    QString toneNotice(const QString& path) const;

    const AlarmControls m_c;
    QDateTime m_previousMatchTick; // the clock at the previous match tick
    QDateTime m_snoozeStart;       // the clock when Sleep was pressed
    QString m_missed;              // the alarm time that went by unrung, while that is the news
    bool m_unanswered = false;     // ... because nobody answered its ring
    QDateTime m_ringingSince;      // the clock when the ring or re-ring now sounding began
    int m_unansweredSnoozes = 0;   // snoozes taken by the ring itself since the user last acted
    bool m_sounding = false;       // the engine wants sound now: a ring, until OFF or Sleep's silence
    bool m_playingTone = false;
    bool m_startingAhead = false; // the sound was started ahead of a ring that has not come yet
    QString m_ringPath;           // the file this ring plays: a sound chosen meanwhile waits for the next
    QString m_fileNotice;         // the armed file cannot be played, told since ON
    bool m_noOutput = false;
    QString m_outputProblem; // why there is no output, as the player said when it was found
    bool m_silent = false;
    QDateTime m_tryingSince; // the clock when a sound tried out began; invalid when none plays
    QString m_tryPath;
    QDateTime m_soundPreparedAt; // the clock when the sound was last prepared
    bool m_soundResting = false; // prepared, found fine, and let go until the ring draws near
};
