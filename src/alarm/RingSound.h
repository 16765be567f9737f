#pragma once

#include "core/MinuteBudget.h"
#include "platform/PlayerBackend.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class MediaPlayer;
class QTimer;

// What the ring plays now, and whether it is heard. The chosen file, made ready while armed and
// started ahead of the alarm second; when it fails, the built-in tone (in a new sound process when
// the file ended the last one); when that fails too, the desktop's alarm sound, played by the program
// itself until Sleep or OFF, and silent() tells the owner to make the ring seen and heard through the
// desktop as well. A fault that passes (a sound server that restarted) does not leave the ring to the
// desktop: while it has no sound of its own, the file (or the tone, when the file itself cannot play)
// is tried again as often as the retry budget allows, for the whole ring. Every ring starts again at
// the top. A sound tried out climbs down the same way, but ends where the ring would turn to the desktop.
class RingSound : public QObject {
    Q_OBJECT
public:
    // retryMinuteMs: the minute the retry budget counts in; a test may shorten it.
    explicit RingSound(MediaPlayer& player, QObject* parent = nullptr, qint64 retryMinuteMs = 60000);

    // While the ring draws near, the sound is kept prepared from this long before it; further off,
    // once the file and the output were found fine at arming, what plays it rests.
    static constexpr int ReadySeconds = 30;
    // The time given after preparing to find that the file or the output cannot play.
    static constexpr int SettleSeconds = 10;
    // A tone whose sound process failed, or a ring left to the desktop climbing back to its own
    // sound, is tried again in a new process at most this often a minute.
    static constexpr int ToneRetriesPerMinute = 2;
    // The desktop's alarm sound plays on this long after the ring's own sound is tried again: a
    // sound program that cannot sound is found out within it.
    static constexpr int LastResortOverlapMs = 3000;

    // ON: the chosen sound made ready, and what cannot play told now, not at the ring.
    void arm(const QString& path);
    // OFF: silence, and let go of everything that plays.
    void disarm();
    // Another sound chosen: for the next ring, not the one now sounding.
    void choose(const QString& path);
    // Prepared again (the sound server may have restarted while the computer slept).
    void refresh();
    // An armed alarm's match tick: rests while far off, prepares as it draws near, and at the tick
    // before the alarm second starts the sound so that it is heard at that second.
    void approach(const QTime& alarm, const QDateTime& now);
    // The start ahead of the second is not confirmed by a ring: silent and rewound again.
    void callOffStartAhead();

    // A ring or re-ring: from the top of the ladder.
    void ring(const QString& path);
    // The sound tried out, as the ring plays it, leaving the output's level alone.
    void tryOut(const QString& path);
    // Sleep's or the snooze's silence, the end of a try or of a ring nobody answered.
    void silence();

    bool ringing() const { return m_use == Use::Ring; }
    // When a tick lets what plays the prepared sound rest, by the clock; invalid when it rests
    // already or nothing is prepared.
    QDateTime restsAt() const;
    bool trying() const { return m_use == Use::Try; }
    bool playingBuiltInTone() const { return m_use != Use::None && m_rung == Rung::Tone; }
    // The ring has no sound of its own now: the desktop's alarm sound stands in.
    bool silent() const { return m_silent; }
    // For the tray tip and the notification: why the alarm cannot be heard, or what the chosen
    // file does instead. Empty when all is well.
    QString notice() const { return m_failure.isEmpty() ? m_fileNotice : m_failure; }

signals:
    void noticeChanged();
    void silentChanged(bool silent);
    // A try ended by itself: nothing could be heard, or the ring's start took the player.
    void tryEnded();
    // The sound was made ready again: restsAt() moved.
    void prepared();

private:
    enum class Use { None, Ring, Try };
    enum class Rung { File, Tone, Desktop };

    void play(Rung rung);
    void climbBack();
    void prepare();
    void onCannotPlay(const QString& path, const QString& reason, PlayerBackend::Fault fault);
    void onCannotPrepare(const QString& path, const QString& reason, PlayerBackend::Fault fault);
    void onOutputLost();
    void onOutputReturned();
    void setNotices(const QString& fileNotice, const QString& failure);
    void setSilent(bool silent);
    QString outputFailure() const;

    MediaPlayer& m_player;
    QString m_chosen; // the armed sound, kept ready for the ring
    QString m_path;   // the file this ring or try plays: a sound chosen meanwhile waits
    Use m_use = Use::None;
    Rung m_rung = Rung::File;
    bool m_armed = false;
    bool m_fileFailed = false;     // the file failed in this ring: the top is the tone until the next one
    bool m_fileUnplayable = false; // and it was the file's own fault, not its process's: not tried again
    bool m_prepareFailed = false;  // the chosen file ended the process that prepared it: the tone is kept ready
    bool m_startingAhead = false;  // started ahead of a ring that has not come yet
    bool m_resting = false;        // prepared, found fine, and let go until the ring draws near
    QDateTime m_preparedAt;
    QString m_fileNotice; // what the chosen file does instead, told since ON
    QString m_failure;    // why nothing of our own can be heard: no output, or a failing sound process
    bool m_silent = false;
    MinuteBudget m_toneRetries;
    QTimer* m_climb;          // while the ring is left to the desktop: when its own sound is tried again
    QTimer* m_lastResortEnds; // climbing back: when the desktop's alarm sound stops
};
