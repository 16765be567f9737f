#pragma once

#include <QtGlobal>
#include <memory>

// Makes sure an alarm is heard through an output the user left muted or very low: while engaged,
// the output our alarm stream plays on is unmuted and at least at 40 %; releasing puts back exactly what the user
// had. Talks to the sound server (PulseAudio, or PipeWire's PulseAudio server) from a thread of
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
