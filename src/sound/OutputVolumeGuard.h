#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>
#include <string>

// Makes sure an alarm is heard through an output the user left muted or very low: while engaged,
// each output our alarm streams play on is unmuted and at least at 40 %; releasing puts back exactly what the user
// had. It also keeps, from the server's list of outputs, the choice of a second output to ring on
// (OutputChoice). Talks to the sound server (PulseAudio, or PipeWire's PulseAudio server) from a thread of
// its own; no call here waits on the server, except the destructor for a bounded moment so an
// exit while ringing still puts the user's values back. Without a server nothing happens.
class OutputVolumeGuard {
public:
    OutputVolumeGuard();
    ~OutputVolumeGuard();

    // Reach the server now so a later engage() acts at once.
    void connectAhead();
    void engage();
    void release();

    // Told, from the server's thread, when the output was raised (what the user had, as a text for
    // adopt()) and when it was put back (empty): another process can then put it back if this one dies.
    void setRaisedCallback(std::function<void(const std::string& saved)> raised);
    // What a process before this one raised and did not put back: put back on release, as if raised here.
    // A text that is not one of setRaisedCallback's is ignored.
    void adopt(const std::string& saved);

    // The output a ring plays on besides the default (the computer's speaker beside a headset), or empty;
    // known once the server has listed its outputs, and told again from the server's thread when it changes.
    std::string secondOutput() const;
    void setSecondOutputCallback(std::function<void(const std::string& output)> changed);

    // The level an alarm needs at least, as the server's volume (40 %, about -24 dB).
    static unsigned int floorVolume();

    // How long the server takes from a stream set playing to its first sample at the output. Its own
    // report is no help (a null sink says 2 s on PulseAudio, 0 on PipeWire): measured, by server.
    qint64 outputLeadMicroseconds() const;
    static constexpr qint64 PulseAudioLeadMicroseconds = 12000;
    static constexpr qint64 PipeWireLeadMicroseconds = 16000;

    struct State;

private:
    std::unique_ptr<State> m_state;
};
