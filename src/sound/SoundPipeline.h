#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

// The pipeline side of the alarm player, as the player's policy sees it: every call returns at
// once and the work happens elsewhere. Each build carries a generation, and every later call and
// report names the generation it is about, so news of a pipeline since replaced is told apart.
// Logic tests put a recording double here and report failures by hand.
class SoundPipeline {
public:
    virtual ~SoundPipeline() = default;

    // Called on the policy's thread, later: the pipeline of this generation failed; `output` when
    // the sound server rather than the file is the cause.
    using Failed = std::function<void(quint64 generation, bool output, const QString& reason)>;
    void setFailed(Failed failed) { m_failed = std::move(failed); }
    // Called on the policy's thread, later: the pipeline of this generation reached the sound
    // server with its first sound, so there is an output to play on.
    using Ready = std::function<void(quint64 generation)>;
    void setReady(Ready ready) { m_ready = std::move(ready); }
    // Called on the policy's thread, later, after checkFlow: the sound of this generation moved on
    // towards the output since the last check.
    using Flowing = std::function<void(quint64 generation)>;
    void setFlowing(Flowing flowing) { m_flowing = std::move(flowing); }

    // Replaces any pipeline with one for this file, prepared at the sink, playing when asked.
    virtual void build(quint64 generation, const QByteArray& path, bool play, bool loop) = 0;
    // The output the next builds also play on, besides the stream's own; empty for none.
    virtual void setSecondOutput(const QByteArray& output) { Q_UNUSED(output); }
    virtual void play(quint64 generation, bool loop) = 0;
    // Plays so that the first sound of the file is heard at this wall-clock time, ahead of it by the
    // output's delay (outputLead) and the file's own leading silence.
    virtual void playAt(quint64 generation, qint64 epochMilliseconds, qint64 outputLeadMicroseconds) = 0;
    // Ends a wait for playAt's moment: at once playing (`now`), or not at all.
    virtual void endWait(bool now) = 0;
    // Silent, and back at the start for the next ring.
    virtual void pause(quint64 generation) = 0;
    // Drops the pipeline of this generation, or any pipeline when generation is 0.
    virtual void release(quint64 generation) = 0;
    // At once, from the policy's thread: the fade's every step.
    virtual void setGain(double linear) = 0;
    // Asks whether sound still moves on; answered through Flowing only when it does, so a pipeline
    // or a thread that is stuck answers nothing.
    virtual void checkFlow(quint64 generation) { Q_UNUSED(generation); }

protected:
    Failed m_failed;
    Ready m_ready;
    Flowing m_flowing;
};
