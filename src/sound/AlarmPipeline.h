#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

typedef struct _GstElement GstElement;

// One alarm pipeline: file, decodebin, audioconvert, audioresample, volume, pulsesink; with a second
// output, a tee after the volume feeds a second pulsesink there, each behind a queue. It reads
// the file through a descriptor opened and checked before it is built, never by its name again.
// Used on one thread only; what the pipeline reports arrives through `events`, on whichever thread
// GStreamer posts from, so the owner must hand it on rather than act there.
class AlarmPipeline {
public:
    enum class Event { AsyncDone, SegmentDone, EndOfStream, Error };
    // For Error: whether the output failed (the sound server) rather than the file, and why.
    using Events = std::function<void(Event event, bool output, const QString& reason)>;

    // What the sound server shows in its mixer for our stream.
    static constexpr const char* StreamProperties =
        "props, application.name=(string)Kestrune, application.icon_name=(string)kestrune, "
        "media.role=(string)alarm, media.name=(string)Alarm";

    AlarmPipeline() = default;
    ~AlarmPipeline();
    AlarmPipeline(const AlarmPipeline&) = delete;
    AlarmPipeline& operator=(const AlarmPipeline&) = delete;

    // Starts GStreamer once per process; false when it cannot start.
    static bool initialise();
    // Opens the file and builds the pipeline, paused on its way to the sink (and to the second
    // output, when one is named) with the gain given. On failure returns false with `output` and
    // `reason` saying what failed.
    bool build(const QByteArray& path, const QByteArray& secondOutput, double gain, Events events, bool& output,
               QString& reason);
    void setGain(double linear);
    void setPlaying(bool playing);
    // A segment seek to the start; false when refused.
    bool seekToStart(bool flush);
    // How long the file is silent before its first sound (below -60 dBFS), as measured when its
    // first buffers passed on their way to the sink; -1 while unknown.
    qint64 leadingSilenceMicroseconds() const;
    // How many buffers of sound have gone towards the sink so far.
    quint64 buffersPassed() const;

private:
    struct Callbacks;
    GstElement* m_pipeline = nullptr;
    GstElement* m_convert = nullptr;
    GstElement* m_sink = nullptr;
    GstElement* m_secondSink = nullptr;
    GstElement* m_volume = nullptr;
    Callbacks* m_callbacks = nullptr;
    int m_fd = -1;
};
