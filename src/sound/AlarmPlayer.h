#pragma once

#include "platform/PlayerBackend.h"
#include "sound/OutputVolumeGuard.h"
#include "sound/SoundPipeline.h"

#include <QObject>
#include <array>
#include <memory>

class QTimer;

// The alarm sound's policy: the file is prepared at arming so a ring only sets it playing; a file
// changed on disk since then is prepared afresh at the ring; a pipeline that fails is reported once,
// for the file that is still wanted; a sound server that went away is looked for again while the
// alarm is on, and its return is told; a file chosen while ringing waits for the next ring; a
// pipeline nobody needs is let go. The pipeline itself works elsewhere, behind SoundPipeline, and the
// output's level is the guard's.
class AlarmPlayer : public QObject, public PlayerBackend {
    Q_OBJECT
public:
    // Without a pipeline the GStreamer one is used; without a guard, the sound server's.
    explicit AlarmPlayer(std::unique_ptr<SoundPipeline> pipeline = {}, std::unique_ptr<OutputVolumeGuard> guard = {});
    ~AlarmPlayer() override;

    void prepare(const QString& path) override;
    void start(const QString& path, bool loop) override;
    void stop() override;
    void startAt(const QString& path, qint64 epochMilliseconds) override;
    void release() override;
    void setGain(double linear) override;
    void setRaisesOutput(bool raises) override { m_raises = raises; }
    QString outputProblem() const override;

    // Called while a started sound plays, each time it was found still moving on towards the output.
    std::function<void()> onFlowing;
    // The output's level was raised from these values (a text for adoptRaisedOutput), or put back
    // (empty): what a later process would owe the user if this one died.
    std::function<void(const QString& saved)> onOutputRaised;
    // A process before this one raised the output's level and could not put it back: this one does.
    void adoptRaisedOutput(const QString& saved);

    // How often a playing sound is checked for moving on.
    static constexpr int FlowCheckMilliseconds = 400;
    // While the sound server is away, look for it again this often.
    static constexpr int RetryMilliseconds = 2000;
    // A stopped sound stays prepared for the longest snooze; after that the pipeline goes.
    static constexpr int ReleaseMilliseconds = 31 * 60 * 1000;

    // How long after the expected ring a sound started ahead waits for it before falling silent.
    static constexpr int ConfirmMilliseconds = 1500;

private:
    using Identity = std::array<qint64, 5>; // device, inode, size, modification time in s and ns
    static Identity identify(const QString& path);

    void build(bool play);
    // Where the ring plays changed (a headset became the default, or went): the sound is built
    // afresh for the outputs, prepared or playing as it was.
    void outputsChanged();
    void callOffStartAt();
    bool preparedIsCurrent() const;
    void pipelineFailed(quint64 generation, bool output, const QString& reason);
    void pipelineReady(quint64 generation);

    std::unique_ptr<SoundPipeline> m_pipeline;
    std::unique_ptr<OutputVolumeGuard> m_guard;
    QTimer* m_retry;
    QTimer* m_release;
    QTimer* m_confirm;
    QTimer* m_flow;
    QString m_path;            // the file the pipeline holds, or should hold once rebuilt
    QByteArray m_secondOutput; // the output besides the default the pipeline was built for
    QString m_next;            // chosen while ringing: prepared once the ring is silenced
    Identity m_identity{};     // of m_path when the pipeline was built
    QString m_outputProblem;   // why the last pipeline could not reach an output; empty once one did
    bool m_alive = false;
    bool m_playing = false;
    bool m_startingAt = false; // started ahead of a ring that has not come yet
    qint64 m_startAtMilliseconds = 0;
    bool m_loop = true;
    bool m_raises = true;
    quint64 m_generation = 0;
    int m_retriesAtRing = 0;
};
