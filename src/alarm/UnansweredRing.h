#pragma once

// A ring nobody answers does not go on all day: after ten minutes of ringing it snoozes by itself,
// as Sleep would, at most three times, then it falls silent. Counted in ticks of time that passed
// ringing: a clock set back does not stretch it, and after a suspend it goes on where it was, so a
// ring is heard before it snoozes.
class UnansweredRing {
public:
    enum class Step { Ring, Snooze, FallSilent };

    // A ring or a re-ring begins: its ten minutes start.
    void ringing() { m_ticks = 0; }
    // The ring stopped: nothing counts until the next.
    void silenced() { m_ticks = -1; }
    // Someone is there (Sleep, OFF, the day's first ring): a ring that follows may again go
    // unanswered for as long as the first.
    void answered() { m_snoozes = 0; }
    // A second of ringing went by: what the ring does now.
    Step tick();

private:
    static constexpr int Seconds = 10 * 60;
    static constexpr int Snoozes = 3;
    int m_ticks = -1;  // ticks the ring now sounding has rung; -1 when none counts
    int m_snoozes = 0; // snoozes taken by the ring itself since the user last acted
};
