#include "sound/PipelinePhases.h"

void PipelinePhases::setWanted(bool playing, bool loop)
{
    m_wantPlaying = playing;
    m_loop = loop;
}

PipelinePhases::Steps PipelinePhases::playIfReady() const
{
    Steps s;
    s.play = m_wantPlaying && m_phase == Phase::Ready;
    return s;
}

PipelinePhases::Steps PipelinePhases::asyncDone()
{
    if (m_phase == Phase::Prerolling) {
        m_phase = Phase::Seeking;
        return {.seek = true, .flush = true};
    }
    m_phase = Phase::Ready;
    return playIfReady();
}

PipelinePhases::Steps PipelinePhases::play(bool loop)
{
    m_wantPlaying = true;
    m_loop = loop;
    return playIfReady();
}

PipelinePhases::Steps PipelinePhases::pause()
{
    m_wantPlaying = false;
    m_phase = Phase::Seeking;
    return {.seek = true, .flush = true, .pause = true};
}

PipelinePhases::Steps PipelinePhases::again(bool heard, Steps seek) const
{
    if (!m_loop || !m_wantPlaying)
        return {};
    if (!heard)
        return {.fail = true};
    return seek;
}

PipelinePhases::Steps PipelinePhases::segmentDone(bool heard)
{
    return again(heard, {.seek = true});
}

PipelinePhases::Steps PipelinePhases::endOfStream(bool heard)
{
    return again(heard, {.seek = true, .flush = true});
}

PipelinePhases::Steps PipelinePhases::seekRefused(const Steps& asked)
{
    // A repeat queued without a flush may be refused where a flushing one is taken.
    if (asked.seek && !asked.flush)
        return {.seek = true, .flush = true};
    // No seek at all: the sound plays from where it stands.
    if (m_phase != Phase::Ready) {
        m_phase = Phase::Ready;
        return playIfReady();
    }
    return {};
}
