#pragma once

#include "sound/SoundPipeline.h"

#include <QObject>
#include <memory>

// The alarm pipeline on GStreamer, driven on a thread of its own: building (GStreamer's start-up,
// opening the file, reaching the sound server), state changes and seeks never run on the window's
// thread. Failures come back to the owner's thread through a queued call.
class GstSoundPipeline : public QObject, public SoundPipeline {
    Q_OBJECT
public:
    GstSoundPipeline();
    ~GstSoundPipeline() override;

    void build(quint64 generation, const QByteArray& path, bool play, bool loop) override;
    void setSecondOutput(const QByteArray& output) override { m_secondOutput = output; }
    void play(quint64 generation, bool loop) override;
    void playAt(quint64 generation, qint64 epochMilliseconds, qint64 outputLeadMicroseconds) override;
    void endWait(bool now) override;
    void pause(quint64 generation) override;
    void release(quint64 generation) override;
    void setGain(double linear) override;
    void checkFlow(quint64 generation) override;

    struct Driver;

private:
    std::shared_ptr<Driver> m_driver;
    QByteArray m_secondOutput;
};
