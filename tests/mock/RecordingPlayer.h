#pragma once

#include "platform/PlayerBackend.h"

#include <QDateTime>
#include <QStringList>
#include <memory>

// A player backend that makes no sound and remembers what it was asked. Shared state, so a test
// can read it after the control created its backend.
class RecordingPlayer : public PlayerBackend {
public:
    struct Log {
        QStringList events; // "prepare <path>", "start <path>", "stop", "loop", "release"
        QString playing;    // the file now playing, empty when silent
        double gain = -1;
        QString outputProblem;
        QStringList unplayable; // files that fail as a decoder would
        RecordingPlayer* current = nullptr;
    };

    explicit RecordingPlayer(std::shared_ptr<Log> log) : m_log(std::move(log)) { m_log->current = this; }
    ~RecordingPlayer() override
    {
        if (m_log->current == this)
            m_log->current = nullptr;
    }

    void prepare(const QString& path) override
    {
        m_log->events << QStringLiteral("prepare ") + path;
        if (m_log->unplayable.contains(path) && onPrepareError)
            onPrepareError(path, QStringLiteral("not audio"), Fault::File);
    }
    void start(const QString& path, bool loop) override
    {
        m_log->events << QStringLiteral("start ") + path;
        if (loop)
            m_log->events << QStringLiteral("loop");
        m_log->playing = path;
        if (m_log->unplayable.contains(path) && onError)
            onError(path, QStringLiteral("not audio"), Fault::File);
    }
    void stop() override
    {
        m_log->events << QStringLiteral("stop");
        m_log->playing.clear();
    }
    void startAt(const QString& path, qint64 ms) override
    {
        m_log->events << (ms ? QStringLiteral("start-ahead %1 at %2")
                                   .arg(path, QDateTime::fromMSecsSinceEpoch(ms).time().toString(u"HH:mm:ss.zzz"))
                             : QStringLiteral("call off"));
    }
    void release() override { m_log->events << QStringLiteral("release"); }
    void setGain(double linear) override { m_log->gain = linear; }
    QString outputProblem() const override { return m_log->outputProblem; }

private:
    std::shared_ptr<Log> m_log;
};
