#pragma once

#include "platform/PlayerBackend.h"
#include "platform/SystemSound.h"
#include "sound/SoundMessage.h"

#include <QObject>
#include <QProcess>

class QTimer;

// The sound stack (GStreamer, libpulse, libcanberra and what they pull in) runs in a process of
// the program's own, started at the first need and ended a few seconds after the alarm is switched
// off: a clock that waits, or has been switched off, carries none of it, and a fault in a decoder
// ends that process, not the clock. This is the program's side: the player and the desktop's alert.
class SoundProcess : public QObject, public PlayerBackend, public SystemSound {
    Q_OBJECT
public:
    SoundProcess();
    ~SoundProcess() override;

    void prepare(const QString& path) override;
    void start(const QString& path, bool loop) override;
    void stop() override;
    void startAt(const QString& path, qint64 epochMilliseconds) override;
    void release() override;
    void setGain(double linear) override;
    QString outputProblem() const override;

    void prepare() override;
    void play(const QString& path) override;

    // The sound program: beside this program (the build tree, a copied program) first, then in the
    // program's private library folder. Empty when neither has it; tried tells where it was looked for.
    static QString program(QStringList* tried = nullptr);
    static constexpr const char* ProgramName = "kestrune-sound-host";

    // After a release, how long the process is kept for a sound asked for again soon.
    static constexpr int EndMilliseconds = 3000;

private:
    bool running();
    void send(SoundMessage::Kind kind, const QString& path = {}, qint64 number = 0);
    void readEvents();
    void handle(const SoundMessage& message);
    void ended(QProcess* process, const QString& why);
    void endProcess();

    QString m_program;
    QProcess* m_process = nullptr;
    QByteArray m_buffer;
    QTimer* m_end;
    QString m_problem;  // why no sound can be made: the sound program's own word, or why it cannot run
    QString m_prepared; // what the process was asked to hold ready
    QString m_playing;  // what it was asked to play, until stopped
    bool m_loop = true;
    double m_gain = 1.0;
    int m_restarts = 0; // since the owner last asked for a sound
};
