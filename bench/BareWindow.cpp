// The baseline the benchmark compares Kestrune with: a bare Qt window whose label a one-second
// timer updates. --player FILE adds what an armed alarm clock holds: a GStreamer pipeline for FILE
// (file, decodebin, audioconvert, audioresample, volume, pulsesink with an alarm's short sink
// buffer) prerolled to PAUSED and left idle. --play FILE --at SECONDS prerolls the same pipeline
// at -30 dB, where the alarm's fade starts, and sets it playing 3 ms into that second (epoch
// seconds), as a ring does: the baseline for the ring onset. Built without WITH_PLAYER it links
// only Qt Widgets: the baseline for start-up and for the memory of a clock that waits.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

#ifdef WITH_PLAYER
#include <gst/gst.h>

namespace {

void linkDecoded(GstElement*, GstPad* pad, gpointer convert)
{
    GstPad* sinkPad = gst_element_get_static_pad(GST_ELEMENT(convert), "sink");
    if (!gst_pad_is_linked(sinkPad))
        gst_pad_link(pad, sinkPad);
    gst_object_unref(sinkPad);
}

// The pipeline the alarm plays through, prerolled: its first buffers wait at the sink.
GstElement* prerolledPipeline(const QString& path, double gain)
{
    GstElement* pipeline = gst_pipeline_new("baseline");
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* decode = gst_element_factory_make("decodebin", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* sink = gst_element_factory_make("pulsesink", nullptr);
    if (!source || !decode || !convert || !resample || !volume || !sink) {
        std::fprintf(stderr, "bare_window: a GStreamer plugin is missing\n");
        std::exit(1);
    }
    gst_bin_add_many(GST_BIN(pipeline), source, decode, convert, resample, volume, sink, nullptr);
    gst_element_link(source, decode);
    gst_element_link_many(convert, resample, volume, sink, nullptr);
    g_signal_connect(decode, "pad-added", G_CALLBACK(linkDecoded), convert);
    g_object_set(source, "location", path.toLocal8Bit().constData(), nullptr);
    g_object_set(volume, "volume", gain, nullptr);
    g_object_set(sink, "buffer-time", gint64(50000), "latency-time", gint64(10000), "sync", FALSE, nullptr);
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    return pipeline;
}

} // namespace
#endif

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    const QStringList args = QApplication::arguments();
    const auto valueOf = [&args](const char* option) {
        const qsizetype at = args.indexOf(QLatin1String(option));
        return at > 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
    };
    const QString idleFile = valueOf("--player");
    const QString playFile = valueOf("--play");
    const qint64 playAtMs = valueOf("--at").toLongLong() * 1000 + 3;

    QWidget window;
    window.setWindowTitle(QStringLiteral("BareWindow"));
    window.resize(360, 136);
    auto* label = new QLabel(&window);
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(label);

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, label,
                     [label] { label->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); });
    label->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    timer.start(1000);

#ifdef WITH_PLAYER
    GstElement* pipeline = nullptr;
    if (!idleFile.isEmpty() || !playFile.isEmpty()) {
        gst_init(nullptr, nullptr);
        pipeline = prerolledPipeline(playFile.isEmpty() ? idleFile : playFile, playFile.isEmpty() ? 1.0 : 0.0316);
    }
    if (!playFile.isEmpty()) {
        const qint64 wait = qMax<qint64>(0, playAtMs - QDateTime::currentMSecsSinceEpoch());
        QTimer::singleShot(int(wait), Qt::PreciseTimer, &window,
                           [pipeline] { gst_element_set_state(pipeline, GST_STATE_PLAYING); });
    }

    window.show();
    const int code = QApplication::exec();
    if (pipeline) {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
    return code;
#else
    if (!idleFile.isEmpty() || !playFile.isEmpty() || playAtMs > 3) {
        std::fprintf(stderr, "bare_clock: built without a player\n");
        return 2;
    }
    window.show();
    return QApplication::exec();
#endif
}
