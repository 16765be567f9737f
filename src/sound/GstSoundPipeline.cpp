#include "sound/GstSoundPipeline.h"

#include "core/LogCategories.h"
#include "sound/AlarmPipeline.h"
#include "sound/PipelinePhases.h"
#include "sound/TaskThread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
// A moment further ahead than this is a clock that jumped: the ring must not wait for it.
constexpr int LongestWaitMilliseconds = 1500;
} // namespace

// Lives on the task thread (and is reached from GStreamer's threads only through post()).
struct GstSoundPipeline::Driver {
    TaskThread thread;
    GstSoundPipeline* owner = nullptr; // guarded by ownerMutex; cleared when the owner goes
    std::mutex ownerMutex;

    std::unique_ptr<AlarmPipeline> pipe;
    PipelinePhases phases;
    quint64 generation = 0;
    quint64 buffersAtSeek = 0;  // what had passed when the last seek to the start was asked
    quint64 buffersAtCheck = 0; // what had passed at the last check of the flow
    bool toldReady = false;

    // A wait for playAt's moment ends early when the ticket moves on.
    std::mutex waitMutex;
    std::condition_variable waitWake;
    quint64 waitTicket = 0;
    bool waitEndsPlaying = false;

    void playAt(quint64 g, qint64 epochMilliseconds, qint64 lead, quint64 ticket)
    {
        using namespace std::chrono;
        if (!current(g))
            return;
        const qint64 silence = std::max<qint64>(0, pipe->leadingSilenceMicroseconds());
        const auto at = system_clock::time_point(milliseconds(epochMilliseconds)) - microseconds(lead + silence);
        const auto latest = system_clock::now() + milliseconds(LongestWaitMilliseconds);
        std::unique_lock lock(waitMutex);
        const bool ended = waitWake.wait_until(lock, std::min(at, latest), [&] { return waitTicket != ticket; });
        const bool play = !ended || waitEndsPlaying;
        lock.unlock();
        if (play && current(g))
            carryOut(phases.play(true));
    }

    std::mutex gainMutex;
    AlarmPipeline* gainTarget = nullptr;
    double gain = 1.0;

    bool current(quint64 g) const { return pipe && generation == g; }

    void toOwner(std::function<void(GstSoundPipeline*)> call)
    {
        std::lock_guard lock(ownerMutex);
        if (GstSoundPipeline* o = owner)
            QMetaObject::invokeMethod(
                o, [o, call = std::move(call)] { call(o); }, Qt::QueuedConnection);
    }

    void report(quint64 g, bool output, const QString& reason)
    {
        toOwner([g, output, reason](GstSoundPipeline* o) {
            if (o->m_failed)
                o->m_failed(g, output, reason);
        });
    }

    bool heard() const { return pipe && pipe->buffersPassed() > buffersAtSeek; }

    void teardown()
    {
        {
            std::lock_guard lock(gainMutex);
            gainTarget = nullptr;
        }
        pipe.reset();
    }

    void carryOut(PipelinePhases::Steps steps)
    {
        while (pipe) {
            if (steps.pause)
                pipe->setPlaying(false);
            if (steps.play)
                pipe->setPlaying(true);
            if (steps.fail) {
                report(generation, false, QStringLiteral("the file gives no sound any more"));
                return;
            }
            if (steps.seek)
                buffersAtSeek = pipe->buffersPassed();
            if (!steps.seek || pipe->seekToStart(steps.flush))
                return;
            steps = phases.seekRefused(steps);
        }
    }

    void event(quint64 g, AlarmPipeline::Event e, bool output, const QString& reason)
    {
        if (!current(g))
            return;
        switch (e) {
        case AlarmPipeline::Event::AsyncDone:
            // Prerolled: the first sound waits in the sound server's stream.
            if (!toldReady) {
                toldReady = true;
                toOwner([g](GstSoundPipeline* o) {
                    if (o->m_ready)
                        o->m_ready(g);
                });
            }
            carryOut(phases.asyncDone());
            break;
        case AlarmPipeline::Event::SegmentDone:
            carryOut(phases.segmentDone(heard()));
            break;
        case AlarmPipeline::Event::EndOfStream:
            carryOut(phases.endOfStream(heard()));
            break;
        case AlarmPipeline::Event::Error:
            report(g, output, reason);
            break;
        }
    }

    void build(const std::shared_ptr<Driver>& self, quint64 g, const QByteArray& path, const QByteArray& second,
               bool play, bool loop)
    {
        teardown();
        generation = g;
        buffersAtSeek = 0;
        buffersAtCheck = 0;
        toldReady = false;
        phases = PipelinePhases();
        phases.setWanted(play, loop);
        auto p = std::make_unique<AlarmPipeline>();
        bool output = false;
        QString reason;
        double startGain;
        {
            std::lock_guard lock(gainMutex);
            startGain = gain;
        }
        // GStreamer's threads hand their news to this thread: never seek from there.
        const std::weak_ptr<Driver> weak = self;
        auto events = [weak, g](AlarmPipeline::Event e, bool output, const QString& reason) {
            if (const std::shared_ptr<Driver> d = weak.lock())
                d->thread.post([d, g, e, output, reason] { d->event(g, e, output, reason); });
        };
        if (!p->build(path, second, startGain, events, output, reason)) {
            report(g, output, reason);
            return;
        }
        pipe = std::move(p);
        std::lock_guard lock(gainMutex);
        gainTarget = pipe.get();
        // A step of the fade may have come while the pipeline was being built.
        if (gain != startGain)
            gainTarget->setGain(gain);
    }
};

GstSoundPipeline::GstSoundPipeline() : m_driver(std::make_shared<Driver>())
{
    m_driver->owner = this;
}

GstSoundPipeline::~GstSoundPipeline()
{
    {
        std::lock_guard lock(m_driver->ownerMutex);
        m_driver->owner = nullptr;
    }
    // A thread stuck on a sound server that hangs must not hold up the program's exit.
    if (!m_driver->thread.finish([d = m_driver] { d->teardown(); }, 2))
        qCWarning(lcSound, "the sound thread did not end in time; leaving it behind");
}

void GstSoundPipeline::build(quint64 generation, const QByteArray& path, bool play, bool loop)
{
    m_driver->thread.post([d = m_driver, generation, path, second = m_secondOutput, play, loop] {
        d->build(d, generation, path, second, play, loop);
    });
}

void GstSoundPipeline::play(quint64 generation, bool loop)
{
    m_driver->thread.post([d = m_driver, generation, loop] {
        if (d->current(generation))
            d->carryOut(d->phases.play(loop));
    });
}

void GstSoundPipeline::playAt(quint64 generation, qint64 epochMilliseconds, qint64 outputLeadMicroseconds)
{
    quint64 ticket;
    {
        std::lock_guard lock(m_driver->waitMutex);
        ticket = m_driver->waitTicket;
    }
    m_driver->thread.post([d = m_driver, generation, epochMilliseconds, outputLeadMicroseconds, ticket] {
        d->playAt(generation, epochMilliseconds, outputLeadMicroseconds, ticket);
    });
}

void GstSoundPipeline::endWait(bool now)
{
    {
        std::lock_guard lock(m_driver->waitMutex);
        ++m_driver->waitTicket;
        m_driver->waitEndsPlaying = now;
    }
    m_driver->waitWake.notify_all();
}

void GstSoundPipeline::pause(quint64 generation)
{
    m_driver->thread.post([d = m_driver, generation] {
        if (d->current(generation))
            d->carryOut(d->phases.pause());
    });
}

void GstSoundPipeline::release(quint64 generation)
{
    m_driver->thread.post([d = m_driver, generation] {
        if (generation == 0 || d->current(generation))
            d->teardown();
    });
}

void GstSoundPipeline::setGain(double linear)
{
    std::lock_guard lock(m_driver->gainMutex);
    m_driver->gain = linear;
    if (m_driver->gainTarget)
        m_driver->gainTarget->setGain(linear);
}

void GstSoundPipeline::checkFlow(quint64 generation)
{
    m_driver->thread.post([d = m_driver, generation] {
        if (!d->current(generation))
            return;
        const quint64 passed = d->pipe->buffersPassed();
        if (passed == d->buffersAtCheck)
            return;
        d->buffersAtCheck = passed;
        d->toOwner([generation](GstSoundPipeline* o) {
            if (o->m_flowing)
                o->m_flowing(generation);
        });
    });
}
