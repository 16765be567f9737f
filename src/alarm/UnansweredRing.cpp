#include "alarm/UnansweredRing.h"

UnansweredRing::Step UnansweredRing::tick()
{
    if (m_ticks < 0 || ++m_ticks < Seconds)
        return Step::Ring;
    m_ticks = -1;
    if (m_snoozes >= Snoozes) {
        m_snoozes = 0;
        return Step::FallSilent;
    }
    ++m_snoozes;
    return Step::Snooze;
}
