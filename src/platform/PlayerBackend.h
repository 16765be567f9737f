#pragma once

#include <QString>
#include <functional>

// What actually makes the sound. The media player control talks only to this, so tests can
// record what it asked for.
class PlayerBackend {
public:
    virtual ~PlayerBackend() = default;

    // Get ready ahead of time so a later start of this file is quick.
    virtual void prepare(const QString& path) = 0;
    // Play the file from its beginning; loop until stopped when asked to.
    virtual void start(const QString& path, bool loop) = 0;
    virtual void stop() = 0;
    // The ring is expected at this wall-clock time (milliseconds since the epoch): have the sound
    // heard from then on, as a start() at that moment would, but without the output's delay. The
    // start() that follows the ring confirms it; without one it falls silent again. 0 calls it off.
    virtual void startAt(const QString& path, qint64 epochMilliseconds)
    {
        Q_UNUSED(path);
        Q_UNUSED(epochMilliseconds);
    }
    // Nothing is wanted any more (the alarm was switched off): let go of the file and all it holds.
    virtual void release() = 0;
    virtual void setGain(double linear) = 0;
    // Whether the starts that follow raise the output's level for the ring, or leave it as the user
    // has it (a sound tried out).
    virtual void setRaisesOutput(bool raises) { Q_UNUSED(raises); }
    // Empty when sound can be made at all; otherwise why not.
    virtual QString outputProblem() const = 0;

    // Why a sound cannot be played: the file itself, the process that plays it, or no output to play
    // into. The user is told the true one, and what plays instead depends on it.
    enum class Fault { File, Process, Output };

    // Set by the owner: called on the owner's thread, perhaps later, when the file given to start()
    // cannot be played. The path says which start it belongs to, so a late report can be told apart.
    std::function<void(const QString& path, const QString& reason, Fault fault)> onError;
    // The same for the file given to prepare(), found while getting it ready, before any ring.
    std::function<void(const QString& path, const QString& reason, Fault fault)> onPrepareError;
    // No sound output can be reached (outputProblem() says why): told once when found, ringing or not.
    std::function<void()> onOutputLost;
    // The sound output was missing (outputProblem() said why) and is there again.
    std::function<void()> onOutputBack;
};
