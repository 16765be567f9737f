#pragma once

#include "controls/PlayerBackend.h"

#include <QObject>
#include <memory>

class OutputVolumeGuard;
class QTimer;

// The alarm sound on GStreamer: file, decodebin, audioconvert, audioresample, volume, pulsesink.
// Every call that can wait (GStreamer's start-up, opening the file, reaching the sound server,
// changing state) runs on a thread of the player's own, so the window never waits on a sound.
// prepare() leaves the file's first buffers waiting at the sink, so a ring only sets it playing.
class GstPlayerBackend : public QObject, public PlayerBackend {
    Q_OBJECT
public:
    GstPlayerBackend();
    ~GstPlayerBackend() override;

    void prepare(const QString& path) override;
    void start(const QString& path, bool loop) override;
    void stop() override;
    void setGain(double linear) override;
    QString outputProblem() const override;

    // What the sound server shows in its mixer for our stream.
    static constexpr const char* StreamProperties =
        "props, application.name=(string)Kestrune, application.icon_name=(string)kestrune, "
        "media.role=(string)alarm, media.name=(string)Alarm";

    struct Worker;

private:
    void build(bool play);
    void pipelineFailed(quint64 generation, bool output, const QString& reason);

    std::shared_ptr<Worker> m_worker;
    std::unique_ptr<OutputVolumeGuard> m_guard;
    QTimer* m_retry;
    QTimer* m_release;
    QString m_path; // the file the pipeline holds, or should hold once rebuilt
    bool m_alive = false;
    bool m_playing = false;
    bool m_loop = true;
    quint64 m_generation = 0;
    int m_retriesAtRing = 0;
};
