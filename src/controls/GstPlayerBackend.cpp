#include "controls/GstPlayerBackend.h"

#include "platform/OutputVolumeGuard.h"

#include <QTimer>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <gst/gst.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
// Short sink buffers: an alarm wants to be heard at once, not to survive a busy disk like music.
constexpr gint64 SinkBufferMicroseconds = 50000;
constexpr gint64 SinkLatencyMicroseconds = 10000;
// While the sound server is away, look for it again this often.
constexpr int RetryMilliseconds = 2000;
// A stopped sound stays prepared for the longest snooze; after that the pipeline goes.
constexpr int ReleaseMilliseconds = 31 * 60 * 1000;

enum class Phase { Prerolling, Seeking, Ready };
} // namespace

struct GstPlayerBackend::Worker {
    // One pipeline, touched on the worker thread only (and by its bus handler).
    struct Pipe {
        Worker* worker = nullptr;
        quint64 generation = 0;
        GstElement* pipeline = nullptr;
        GstElement* convert = nullptr;
        GstElement* sink = nullptr;
        int fd = -1;
        Phase phase = Phase::Prerolling;
        bool wantPlaying = false;
        bool loop = true;
    };

    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finishedChanged;
    std::deque<std::function<void()>> tasks;
    bool quit = false;
    bool finished = false;
    GstPlayerBackend* owner = nullptr; // guarded by mutex; cleared when the owner goes

    std::mutex gainMutex;
    GstElement* volume = nullptr;
    double gain = 1.0;

    std::unique_ptr<Pipe> pipe;
    bool initialised = false;

    void post(std::function<void()> task)
    {
        {
            std::lock_guard lock(mutex);
            tasks.push_back(std::move(task));
        }
        wake.notify_one();
    }

    void run()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return quit || !tasks.empty(); });
                if (tasks.empty())
                    break;
                task = std::move(tasks.front());
                tasks.pop_front();
            }
            task();
        }
        teardown();
        {
            std::lock_guard lock(mutex);
            finished = true;
        }
        finishedChanged.notify_all();
    }

    // From any thread: tell the owner, on its own thread, that a pipeline failed.
    void report(quint64 generation, bool output, const QString& reason)
    {
        std::lock_guard lock(mutex);
        if (!owner)
            return;
        QMetaObject::invokeMethod(
            owner, [o = owner, generation, output, reason] { o->pipelineFailed(generation, output, reason); },
            Qt::QueuedConnection);
    }

    Pipe* current(quint64 generation) { return pipe && pipe->generation == generation ? pipe.get() : nullptr; }

    void setGain(double linear)
    {
        std::lock_guard lock(gainMutex);
        gain = linear;
        if (volume)
            g_object_set(volume, "volume", linear, nullptr);
    }

    void teardown()
    {
        if (!pipe)
            return;
        {
            std::lock_guard lock(gainMutex);
            volume = nullptr;
        }
        gst_element_set_state(pipe->pipeline, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(pipe->pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(pipe->pipeline);
        if (pipe->fd >= 0)
            ::close(pipe->fd);
        pipe.reset();
    }

    void teardown(quint64 generation)
    {
        if (current(generation))
            teardown();
    }

    static void padAdded(GstElement*, GstPad* pad, gpointer data)
    {
        auto* p = static_cast<Pipe*>(data);
        GstPad* sinkPad = gst_element_get_static_pad(p->convert, "sink");
        if (!gst_pad_is_linked(sinkPad)) {
            GstCaps* caps = gst_pad_get_current_caps(pad);
            if (!caps)
                caps = gst_pad_query_caps(pad, nullptr);
            const GstStructure* s = caps ? gst_caps_get_structure(caps, 0) : nullptr;
            if (s && g_str_has_prefix(gst_structure_get_name(s), "audio/"))
                gst_pad_link(pad, sinkPad);
            if (caps)
                gst_caps_unref(caps);
        }
        gst_object_unref(sinkPad);
    }

    static void noMorePads(GstElement*, gpointer data)
    {
        auto* p = static_cast<Pipe*>(data);
        GstPad* sinkPad = gst_element_get_static_pad(p->convert, "sink");
        if (!gst_pad_is_linked(sinkPad))
            p->worker->report(p->generation, false, QStringLiteral("the file holds no sound"));
        gst_object_unref(sinkPad);
    }

    // The sink names its stream after the title tag, else "Playback Stream": every tag reaching it
    // carries our stream's name instead of whatever the file calls itself.
    static GstPadProbeReturn nameTags(GstPad*, GstPadProbeInfo* info, gpointer)
    {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) != GST_EVENT_TAG)
            return GST_PAD_PROBE_OK;
        GstTagList* tags = gst_tag_list_new(GST_TAG_TITLE, "Alarm", nullptr);
        gst_tag_list_set_scope(tags, GST_TAG_SCOPE_GLOBAL);
        gst_event_unref(event);
        GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_tag(tags);
        return GST_PAD_PROBE_OK;
    }

    // Runs on whichever thread posts: hand the work to the worker, never seek from here.
    static GstBusSyncReply busMessage(GstBus*, GstMessage* message, gpointer data)
    {
        auto* p = static_cast<Pipe*>(data);
        Worker* w = p->worker;
        const quint64 generation = p->generation;
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ASYNC_DONE:
            w->post([w, generation] { w->asyncDone(generation); });
            break;
        case GST_MESSAGE_SEGMENT_DONE:
            w->post([w, generation] { w->segmentDone(generation); });
            break;
        case GST_MESSAGE_EOS:
            w->post([w, generation] { w->endOfStream(generation); });
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            GstObject* from = GST_MESSAGE_SRC(message);
            const bool output = from == GST_OBJECT(p->sink) || gst_object_has_as_ancestor(from, GST_OBJECT(p->sink));
            const QString reason = QString::fromUtf8(error ? error->message : "unknown error");
            if (error)
                g_error_free(error);
            w->report(generation, output, reason);
            break;
        }
        default:
            break;
        }
        // Nobody pops the bus: let nothing pile up there.
        return GST_BUS_DROP;
    }

    bool seekToStart(Pipe* p, bool flush)
    {
        const auto flags = GstSeekFlags(GST_SEEK_FLAG_SEGMENT | (flush ? GST_SEEK_FLAG_FLUSH : 0));
        return gst_element_seek(p->pipeline, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE,
                                GST_CLOCK_TIME_NONE);
    }

    void build(quint64 generation, const QByteArray& path, bool play, bool loop)
    {
        teardown();
        if (!initialised) {
            GError* error = nullptr;
            initialised = gst_init_check(nullptr, nullptr, &error);
            if (error)
                g_error_free(error);
            if (!initialised) {
                report(generation, true, QStringLiteral("GStreamer cannot start"));
                return;
            }
        }
        // Opened here without waiting (a FIFO would hold any plain open), and only a regular file
        // goes on; GStreamer then reads it through our descriptor.
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            report(generation, false, QString::fromLocal8Bit(strerror(errno)));
            return;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            report(generation, false, QStringLiteral("not a regular file"));
            return;
        }

        auto p = std::make_unique<Pipe>();
        p->worker = this;
        p->generation = generation;
        p->fd = fd;
        p->loop = loop;
        p->wantPlaying = play;
        GstElement* source = gst_element_factory_make("filesrc", nullptr);
        GstElement* decode = gst_element_factory_make("decodebin", nullptr);
        p->convert = gst_element_factory_make("audioconvert", nullptr);
        GstElement* resample = gst_element_factory_make("audioresample", nullptr);
        GstElement* gainElement = gst_element_factory_make("volume", nullptr);
        p->sink = gst_element_factory_make("pulsesink", nullptr);
        GstElement* all[] = {source, decode, p->convert, resample, gainElement, p->sink};
        for (GstElement* e : all) {
            if (!e) {
                for (GstElement* other : all)
                    if (other)
                        gst_object_unref(gst_object_ref_sink(other));
                ::close(fd);
                report(generation, !p->sink, QStringLiteral("a GStreamer plugin is missing"));
                return;
            }
        }
        p->pipeline = gst_pipeline_new("alarm");
        gst_bin_add_many(GST_BIN(p->pipeline), source, decode, p->convert, resample, gainElement, p->sink, nullptr);
        gst_element_link(source, decode);
        gst_element_link_many(p->convert, resample, gainElement, p->sink, nullptr);

        // filesrc reads the descriptor already opened and checked, never the path again.
        char location[32];
        std::snprintf(location, sizeof location, "/proc/self/fd/%d", fd);
        g_object_set(source, "location", location, nullptr);
        g_object_set(p->sink, "buffer-time", SinkBufferMicroseconds, "latency-time", SinkLatencyMicroseconds,
                     "client-name", "Kestrune", nullptr);
        // Nothing to keep in step with: samples go out as they come. Synchronised to a clock, a
        // stream that waited paused since arming started its first buffer as late as it had waited.
        g_object_set(p->sink, "sync", FALSE, nullptr);
        if (GstStructure* props = gst_structure_from_string(StreamProperties, nullptr)) {
            g_object_set(p->sink, "stream-properties", props, nullptr);
            gst_structure_free(props);
        }
        GstPad* toSink = gst_element_get_static_pad(gainElement, "src");
        gst_pad_add_probe(toSink, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, nameTags, nullptr, nullptr);
        gst_object_unref(toSink);
        g_signal_connect(decode, "pad-added", G_CALLBACK(padAdded), p.get());
        g_signal_connect(decode, "no-more-pads", G_CALLBACK(noMorePads), p.get());
        GstBus* bus = gst_element_get_bus(p->pipeline);
        gst_bus_set_sync_handler(bus, busMessage, p.get(), nullptr);
        gst_object_unref(bus);
        {
            // The first buffers pass the gain on their way to the sink: it must be right already.
            std::lock_guard lock(gainMutex);
            volume = gainElement;
            g_object_set(volume, "volume", gain, nullptr);
        }
        pipe = std::move(p);
        gst_element_set_state(pipe->pipeline, GST_STATE_PAUSED);
    }

    void startPlaying(Pipe* p)
    {
        if (p->wantPlaying && p->phase == Phase::Ready)
            gst_element_set_state(p->pipeline, GST_STATE_PLAYING);
    }

    void asyncDone(quint64 generation)
    {
        Pipe* p = current(generation);
        if (!p)
            return;
        if (p->phase == Phase::Prerolling) {
            // A segment seek makes the end a message instead of EOS, so a repeat can be queued
            // behind the sound still in the sink: no gap.
            p->phase = Phase::Seeking;
            if (!seekToStart(p, true))
                p->phase = Phase::Ready;
        } else if (p->phase == Phase::Seeking) {
            p->phase = Phase::Ready;
        }
        startPlaying(p);
    }

    void play(quint64 generation, bool loop)
    {
        if (Pipe* p = current(generation)) {
            p->wantPlaying = true;
            p->loop = loop;
            startPlaying(p);
        }
    }

    void pause(quint64 generation)
    {
        Pipe* p = current(generation);
        if (!p)
            return;
        p->wantPlaying = false;
        gst_element_set_state(p->pipeline, GST_STATE_PAUSED);
        // Back to the start, prerolled again, for the next ring.
        p->phase = Phase::Seeking;
        if (!seekToStart(p, true))
            p->phase = Phase::Ready;
    }

    void segmentDone(quint64 generation)
    {
        Pipe* p = current(generation);
        if (p && p->loop && p->wantPlaying && !seekToStart(p, false))
            seekToStart(p, true);
    }

    void endOfStream(quint64 generation)
    {
        Pipe* p = current(generation);
        if (p && p->loop && p->wantPlaying)
            seekToStart(p, true);
    }
};

GstPlayerBackend::GstPlayerBackend()
    : m_worker(std::make_shared<Worker>()), m_guard(std::make_unique<OutputVolumeGuard>()), m_retry(new QTimer(this)),
      m_release(new QTimer(this))
{
    m_worker->owner = this;
    m_worker->thread = std::thread([w = m_worker] { w->run(); });
    m_retry->setSingleShot(true);
    m_retry->setInterval(RetryMilliseconds);
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (!m_alive && !m_path.isEmpty())
            build(m_playing);
    });
    m_release->setSingleShot(true);
    m_release->setInterval(ReleaseMilliseconds);
    connect(m_release, &QTimer::timeout, this, [this] {
        if (m_playing)
            return;
        m_alive = false;
        m_retry->stop();
        ++m_generation;
        m_worker->post([w = m_worker.get()] { w->teardown(); });
    });
}

GstPlayerBackend::~GstPlayerBackend()
{
    std::shared_ptr<Worker> w = m_worker;
    {
        std::unique_lock lock(w->mutex);
        w->owner = nullptr;
        w->quit = true;
    }
    w->wake.notify_one();
    // A worker stuck on a sound server that hangs must not hold up the program's exit.
    std::unique_lock lock(w->mutex);
    if (w->finishedChanged.wait_for(lock, std::chrono::seconds(2), [&] { return w->finished; })) {
        lock.unlock();
        w->thread.join();
    } else {
        lock.unlock();
        w->thread.detach();
    }
}

void GstPlayerBackend::build(bool play)
{
    ++m_generation;
    m_alive = true;
    m_retry->stop();
    m_worker->post([w = m_worker.get(), g = m_generation, path = m_path.toLocal8Bit(), play, loop = m_loop] {
        w->build(g, path, play, loop);
    });
}

void GstPlayerBackend::prepare(const QString& path)
{
    m_release->stop();
    m_guard->connectAhead();
    if (path == m_path && m_alive)
        return;
    m_path = path;
    build(m_playing);
}

void GstPlayerBackend::start(const QString& path, bool loop)
{
    m_playing = true;
    m_loop = loop;
    m_retriesAtRing = 0;
    m_release->stop();
    if (path == m_path && m_alive) {
        m_worker->post([w = m_worker.get(), g = m_generation, loop] { w->play(g, loop); });
    } else {
        m_path = path;
        build(true);
    }
    // After the sound is on its way: the output's level is no reason to start late.
    m_guard->engage();
}

void GstPlayerBackend::stop()
{
    if (!m_playing)
        return;
    m_playing = false;
    m_guard->release();
    m_release->start();
    // Paused and rewound once the caller's handler is over, so the next ring's first buffers pass
    // the quiet volume that the caller sets right after stopping.
    QTimer::singleShot(0, this, [this, g = m_generation] {
        if (!m_playing && m_alive && g == m_generation)
            m_worker->post([w = m_worker.get(), g] { w->pause(g); });
    });
}

void GstPlayerBackend::setGain(double linear)
{
    m_worker->setGain(linear);
}

QString GstPlayerBackend::outputProblem() const
{
    // The sink says so itself, through the bus, when no sound server can be reached.
    return {};
}

void GstPlayerBackend::pipelineFailed(quint64 generation, bool output, const QString& reason)
{
    if (generation != m_generation || !m_alive)
        return;
    m_alive = false;
    m_worker->post([w = m_worker.get(), generation] { w->teardown(generation); });
    if (output) {
        // The sound server went away or is restarting: build again when it may be back.
        if (m_playing && m_retriesAtRing < 2) {
            ++m_retriesAtRing;
            build(true);
            return;
        }
        m_retry->start();
    }
    if (m_playing && onError)
        onError(m_path, reason);
}
