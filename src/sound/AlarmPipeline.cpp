#include "sound/AlarmPipeline.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <gst/gst.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Short sink buffers: an alarm wants to be heard at once, not to survive a busy disk like music.
constexpr gint64 SinkBufferMicroseconds = 50000;
constexpr gint64 SinkLatencyMicroseconds = 10000;
// Quieter than this is silence; longer silences than the cap are not worth starting ahead for.
constexpr double SilenceLevel = 0.001; // -60 dBFS
constexpr gint64 SilenceCapMicroseconds = 200000;

// The first sample's index in an interleaved buffer that is louder than silence, or -1.
template <typename T> gint64 firstSound(const guint8* data, gsize bytes, double fullScale)
{
    const gsize count = bytes / sizeof(T);
    for (gsize i = 0; i < count; ++i) {
        T value;
        std::memcpy(&value, data + i * sizeof(T), sizeof(T));
        if (std::fabs(double(value)) > SilenceLevel * fullScale)
            return gint64(i);
    }
    return -1;
}
} // namespace

// Reached from GStreamer's threads: only what they need, never the pipeline's owner.
struct AlarmPipeline::Callbacks {
    AlarmPipeline::Events events;
    GstElement* convert = nullptr;
    GstElement* sink = nullptr;
    GstElement* secondSink = nullptr;
    std::atomic<gint64> silence{-1};
    gint64 silentFrames = 0;

    // Counts the frames before the first sound; removed once it is found. Samples are looked at
    // before the gain, so a quiet start of the fade does not count as silence.
    static GstPadProbeReturn countSilence(GstPad* pad, GstPadProbeInfo* info, gpointer data)
    {
        auto* c = static_cast<Callbacks*>(data);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        GstCaps* caps = gst_pad_get_current_caps(pad);
        const GstStructure* s = caps ? gst_caps_get_structure(caps, 0) : nullptr;
        const gchar* format = s ? gst_structure_get_string(s, "format") : nullptr;
        gint rate = 0, channels = 0;
        if (s) {
            gst_structure_get_int(s, "rate", &rate);
            gst_structure_get_int(s, "channels", &channels);
        }
        const QByteArray f(format ? format : "");
        if (caps)
            gst_caps_unref(caps);
        GstMapInfo map;
        if (rate <= 0 || channels <= 0 || !gst_buffer_map(buffer, &map, GST_MAP_READ))
            return GST_PAD_PROBE_REMOVE;
        gint64 first = -2; // -2: a format not looked into
        int width = 0;
        if (f == "S16LE")
            first = firstSound<gint16>(map.data, map.size, 32768.0), width = 2;
        else if (f == "S32LE")
            first = firstSound<gint32>(map.data, map.size, 2147483648.0), width = 4;
        else if (f == "F32LE")
            first = firstSound<float>(map.data, map.size, 1.0), width = 4;
        else if (f == "F64LE")
            first = firstSound<double>(map.data, map.size, 1.0), width = 8;
        const gsize frames = width ? map.size / (gsize(width) * gsize(channels)) : 0;
        gst_buffer_unmap(buffer, &map);
        if (first == -2)
            return GST_PAD_PROBE_REMOVE;
        c->silentFrames += first >= 0 ? first / channels : gint64(frames);
        const gint64 micros = c->silentFrames * 1000000 / rate;
        if (first >= 0 || micros >= SilenceCapMicroseconds) {
            c->silence = std::min(micros, SilenceCapMicroseconds);
            return GST_PAD_PROBE_REMOVE;
        }
        return GST_PAD_PROBE_OK;
    }
    std::atomic<quint64> buffers{0};

    static void padAdded(GstElement*, GstPad* pad, gpointer data)
    {
        auto* c = static_cast<Callbacks*>(data);
        GstPad* sinkPad = gst_element_get_static_pad(c->convert, "sink");
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
        auto* c = static_cast<Callbacks*>(data);
        GstPad* sinkPad = gst_element_get_static_pad(c->convert, "sink");
        if (!gst_pad_is_linked(sinkPad))
            c->events(Event::Error, false, QStringLiteral("the file holds no sound"));
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

    // Counts what really flows: a file emptied after it was prepared loops on without a sample.
    static GstPadProbeReturn countBuffers(GstPad*, GstPadProbeInfo*, gpointer data)
    {
        static_cast<Callbacks*>(data)->buffers.fetch_add(1, std::memory_order_relaxed);
        return GST_PAD_PROBE_OK;
    }

    static GstBusSyncReply busMessage(GstBus*, GstMessage* message, gpointer data)
    {
        auto* c = static_cast<Callbacks*>(data);
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ASYNC_DONE:
            c->events(Event::AsyncDone, false, {});
            break;
        case GST_MESSAGE_SEGMENT_DONE:
            c->events(Event::SegmentDone, false, {});
            break;
        case GST_MESSAGE_EOS:
            c->events(Event::EndOfStream, false, {});
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            GstObject* from = GST_MESSAGE_SRC(message);
            const auto isFrom = [from](GstElement* sink) {
                return sink && (from == GST_OBJECT(sink) || gst_object_has_as_ancestor(from, GST_OBJECT(sink)));
            };
            const bool output = isFrom(c->sink) || isFrom(c->secondSink);
            const QString reason = QString::fromUtf8(error ? error->message : "unknown error");
            if (error)
                g_error_free(error);
            c->events(Event::Error, output, reason);
            break;
        }
        default:
            break;
        }
        // Nobody pops the bus: let nothing pile up there. A dropped message is the handler's to unref,
        // and it holds its element, and so the whole pipeline, until then.
        gst_message_unref(message);
        return GST_BUS_DROP;
    }
};

bool AlarmPipeline::initialise()
{
    static const bool started = [] {
        GError* error = nullptr;
        const bool ok = gst_init_check(nullptr, nullptr, &error);
        if (error)
            g_error_free(error);
        return ok;
    }();
    return started;
}

AlarmPipeline::~AlarmPipeline()
{
    if (m_pipeline) {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(m_pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(m_pipeline);
    }
    delete m_callbacks;
    if (m_fd >= 0)
        ::close(m_fd);
}

namespace {
void setUpSink(GstElement* sink)
{
    g_object_set(sink, "buffer-time", SinkBufferMicroseconds, "latency-time", SinkLatencyMicroseconds, "client-name",
                 "Kestrune", nullptr);
    // Nothing to keep in step with: samples go out as they come. Synchronised to a clock, a
    // stream that waited paused since arming started its first buffer as late as it had waited.
    g_object_set(sink, "sync", FALSE, nullptr);
    if (GstStructure* props = gst_structure_from_string(AlarmPipeline::StreamProperties, nullptr)) {
        g_object_set(sink, "stream-properties", props, nullptr);
        gst_structure_free(props);
    }
}
} // namespace

bool AlarmPipeline::build(const QByteArray& path, const QByteArray& secondOutput, double gain, Events events,
                          bool& output, QString& reason)
{
    output = false;
    if (!initialise()) {
        output = true;
        reason = QStringLiteral("GStreamer cannot start");
        return false;
    }
    // Opened here without waiting (a FIFO would hold any plain open), and only a regular file
    // goes on; GStreamer then reads it through our descriptor.
    m_fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        reason = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    struct stat info {};
    if (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = QStringLiteral("not a regular file");
        return false;
    }

    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* decode = gst_element_factory_make("decodebin", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* sink = gst_element_factory_make("pulsesink", nullptr);
    // The second output's branch, made only when there is one: the usual ring's path stays as short.
    const bool two = !secondOutput.isEmpty();
    GstElement* tee = two ? gst_element_factory_make("tee", nullptr) : nullptr;
    GstElement* queue = two ? gst_element_factory_make("queue", nullptr) : nullptr;
    GstElement* secondQueue = two ? gst_element_factory_make("queue", nullptr) : nullptr;
    GstElement* secondSink = two ? gst_element_factory_make("pulsesink", nullptr) : nullptr;
    GstElement* all[] = {source, decode, convert, resample, volume, sink, tee, queue, secondQueue, secondSink};
    const bool missing = !source || !decode || !convert || !resample || !volume || !sink ||
                         (two && (!tee || !queue || !secondQueue || !secondSink));
    if (missing) {
        for (GstElement* other : all)
            if (other)
                gst_object_unref(gst_object_ref_sink(other));
        output = !sink || (two && !secondSink);
        reason = QStringLiteral("a GStreamer plugin is missing");
        return false;
    }
    m_pipeline = gst_pipeline_new("alarm");
    m_convert = convert;
    m_sink = sink;
    m_secondSink = secondSink;
    m_volume = volume;
    gst_bin_add_many(GST_BIN(m_pipeline), source, decode, convert, resample, volume, sink, nullptr);
    gst_element_link(source, decode);
    if (two) {
        // Each output behind a queue of its own, so that each prerolls and neither waits for the other.
        gst_bin_add_many(GST_BIN(m_pipeline), tee, queue, secondQueue, secondSink, nullptr);
        gst_element_link_many(convert, resample, volume, tee, nullptr);
        gst_element_link_many(tee, queue, sink, nullptr);
        gst_element_link_many(tee, secondQueue, secondSink, nullptr);
        g_object_set(secondSink, "device", secondOutput.constData(), nullptr);
        setUpSink(secondSink);
    } else {
        gst_element_link_many(convert, resample, volume, sink, nullptr);
    }

    char location[32];
    std::snprintf(location, sizeof location, "/proc/self/fd/%d", m_fd);
    g_object_set(source, "location", location, nullptr);
    setUpSink(sink);
    m_callbacks = new Callbacks{std::move(events), convert, sink, secondSink};
    GstPad* toGain = gst_element_get_static_pad(volume, "sink");
    gst_pad_add_probe(toGain, GST_PAD_PROBE_TYPE_BUFFER, Callbacks::countSilence, m_callbacks, nullptr);
    gst_object_unref(toGain);
    GstPad* toSink = gst_element_get_static_pad(volume, "src");
    gst_pad_add_probe(toSink, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, Callbacks::nameTags, nullptr, nullptr);
    gst_pad_add_probe(toSink, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                      Callbacks::countBuffers, m_callbacks, nullptr);
    gst_object_unref(toSink);
    g_signal_connect(decode, "pad-added", G_CALLBACK(Callbacks::padAdded), m_callbacks);
    g_signal_connect(decode, "no-more-pads", G_CALLBACK(Callbacks::noMorePads), m_callbacks);
    GstBus* bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(bus, Callbacks::busMessage, m_callbacks, nullptr);
    gst_object_unref(bus);
    // The first buffers pass the gain on their way to the sink: it must be right already.
    setGain(gain);
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    return true;
}

void AlarmPipeline::setGain(double linear)
{
    if (m_volume)
        g_object_set(m_volume, "volume", linear, nullptr);
}

void AlarmPipeline::setPlaying(bool playing)
{
    if (m_pipeline)
        gst_element_set_state(m_pipeline, playing ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

qint64 AlarmPipeline::leadingSilenceMicroseconds() const
{
    return m_callbacks ? m_callbacks->silence.load() : -1;
}

bool AlarmPipeline::seekToStart(bool flush)
{
    if (!m_pipeline)
        return false;
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_SEGMENT | (flush ? GST_SEEK_FLAG_FLUSH : 0));
    return gst_element_seek(m_pipeline, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE,
                            GST_CLOCK_TIME_NONE);
}

quint64 AlarmPipeline::buffersPassed() const
{
    return m_callbacks ? m_callbacks->buffers.load(std::memory_order_relaxed) : 0;
}
