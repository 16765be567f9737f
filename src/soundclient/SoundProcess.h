#pragma once

#include "platform/PlayerBackend.h"
#include "platform/SystemSound.h"
#include "soundclient/SoundMessage.h"

#include "core/MinuteBudget.h"

#include <QHash>
#include <QObject>
#include <QProcess>

class QTimer;

// The sound stack (GStreamer, libpulse, libcanberra and what they pull in) runs in a process of
// the program's own, started at the first need and ended a few seconds after the alarm is switched
// off: a clock that waits, or has been switched off, carries none of it, and a fault in a decoder
// ends that process, not the clock. This is the program's side: the player and the desktop's alert.
// A process that ends, says something that is no message, or does not show its sound moving on
// while it plays is given up: the sound it played is reported failed and not handed to the next one,
// which the owner's next request starts afresh. One that only held a sound ready, or owed the user
// the output's level, is replaced by itself a few times a minute.
class SoundProcess : public QObject, public PlayerBackend, public SystemSound {
    Q_OBJECT
public:
    // Runs the sound program found beside this program or in its private folder, or the one given.
    explicit SoundProcess(const QString& program = QString());
    ~SoundProcess() override;

    void prepare(const QString& path) override;
    void start(const QString& path, bool loop) override;
    void stop() override;
    void startAt(const QString& path, qint64 epochMilliseconds) override;
    void release() override;
    void setGain(double linear) override;
    void setRaisesOutput(bool raises) override { m_raises = raises; }
    QString outputProblem() const override;

    void prepare() override;
    void play(const QString& path) override;

    static constexpr const char* ProgramName = "kestrune-sound-host";

    // After a release, how long the process is kept for a sound asked for again soon.
    static constexpr int EndMilliseconds = 3000;
    // A start unanswered, or a playing sound not said to move on, for this long: the process is stuck.
    static constexpr int WatchMilliseconds = 2000;
    // A process that fails is replaced by itself at most this often in a minute; a request of the
    // owner's always gets a new one.
    static constexpr int MaxReplacementsPerMinute = 3;
    // Shorter watch and end limits, so the logic tests need not wait out the real ones.
    void setLimits(int watchMilliseconds, int endMilliseconds);

private:
    bool running();
    quint32 send(SoundMessage::Kind kind, const QString& path = {}, qint64 number = 0, const QString& text = {});
    void sendStart();
    void readEvents(QProcess* process);
    void handle(QProcess* from, const SoundMessage& message);
    void ended(QProcess* process, const QString& why);
    void endProcess();

    QString m_program;
    QString m_programProblem; // why there is no sound program to run; for good
    QProcess* m_process = nullptr;
    QHash<QProcess*, QByteArray> m_buffers; // what each process said that is not a whole message yet
    QTimer* m_end;
    QTimer* m_watch;    // runs while a start waits for its sound, or its sound for news of moving on
    QString m_problem;  // why no sound can be made: the sound program's own word, or why it cannot run
    QString m_prepared; // what the process was asked to hold ready
    QString m_playing;  // what it was asked to play, until stopped
    QString m_raised;   // what the output's level was raised from and is owed to the user
    quint32 m_lastId = 0;
    quint32 m_prepareId = 0; // the request a preparing failure must name
    quint32 m_startId = 0;   // the request a playing failure or news must name
    bool m_loop = true;
    bool m_raises = true;
    double m_gain = 1.0;
    MinuteBudget m_replacements{MaxReplacementsPerMinute};
};
