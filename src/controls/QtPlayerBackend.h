#pragma once

#include "controls/PlayerBackend.h"

#include <QObject>

class QAudioOutput;
class QMediaPlayer;

// QMediaPlayer with QAudioOutput (GStreamer underneath).
class QtPlayerBackend : public QObject, public PlayerBackend {
    Q_OBJECT
public:
    QtPlayerBackend();
    ~QtPlayerBackend() override;

    void prepare(const QString& path) override;
    void start(const QString& path, bool loop) override;
    void stop() override;
    void setGain(double linear) override;
    QString outputProblem() const override;

private:
    void load(const QString& path);
    void failed(const QString& reason);

    QMediaPlayer* m_player;
    QAudioOutput* m_output;
    QString m_loaded;
    QString m_loadError;
    bool m_playing = false;
    bool m_looping = false;
};
