#pragma once

// What a prepared, looping pipeline does next, as plain code: the driver feeds it what the pipeline
// reported and carries out the steps it returns. No sound server is needed to follow it.
//
// Prerolling: the file's first buffers are on their way to the sink. Once there, a segment seek to
// the start makes the end of the file a message instead of end-of-stream, so a repeat can be
// queued behind the sound still in the sink: no gap. Seeking: that seek is under way. Ready: the
// sound waits at the sink, and playing it is a state change only.
//
// A loop that comes round without any sound since its start (the file was cut short, emptied or
// turned to garbage after it was prepared) is a failure, so the owner can fall back, rather than a
// pipeline seeking for ever in silence.
class PipelinePhases {
public:
    enum class Phase { Prerolling, Seeking, Ready };

    struct Steps {
        bool seek = false;  // seek to the start (a segment seek)
        bool flush = false; // ... flushing what is queued
        bool play = false;  // set the pipeline playing
        bool pause = false; // set it paused
        bool fail = false;  // the stream gives no sound where it should go on
        bool operator==(const Steps&) const = default;
    };

    Phase phase() const { return m_phase; }
    bool wantsPlaying() const { return m_wantPlaying; }

    void setWanted(bool playing, bool loop);
    // The pipeline finished a state change or a flushing seek.
    Steps asyncDone();
    Steps play(bool loop);
    // Back to the start, prerolled again, for the next ring.
    Steps pause();
    // The end of the file came round; `heard` when sound passed since the last seek to the start.
    Steps segmentDone(bool heard);
    Steps endOfStream(bool heard);
    // The seek in `asked` was refused by the pipeline.
    Steps seekRefused(const Steps& asked);

private:
    Steps playIfReady() const;
    Steps again(bool heard, Steps seek) const;

    Phase m_phase = Phase::Prerolling;
    bool m_wantPlaying = false;
    bool m_loop = true;
};
