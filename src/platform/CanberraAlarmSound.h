#pragma once

#include "platform/DesktopAlarmSound.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>

struct ca_context;

// The desktop's alarm sound through libcanberra, loaded from the system's library folder only when a
// ring first needs it: a clock that only waits carries no sound library, and the library is there
// even when the sound program cannot run. Its calls run on a thread of their own, since it reaches
// the sound server and opens what it plays in the calling thread. One copy plays at a time under one
// id, cancelled by that id; the next copy starts when the last one has ended.
class CanberraAlarmSound : public QObject, public DesktopAlarmSound {
    Q_OBJECT
public:
    CanberraAlarmSound();
    ~CanberraAlarmSound() override;
    void start(const QString& fallback) override;
    void stop() override;

    // Where the library is taken from, and only from there.
    static QString libraryPath();

private:
    struct Library;

    // On the library's thread.
    bool load();
    void playCopy(quint64 copy, const QString& fallback);
    // Back on the object's thread: a copy ended (or could not start), and the next one is due.
    void ended(quint64 copy, int error);

    QThreadPool m_thread;
    std::unique_ptr<Library> m_library; // m_thread only
    ca_context* m_context = nullptr;    // m_thread only
    bool m_loadTried = false;           // m_thread only
    bool m_themeMissing = false;        // m_thread only: the theme has no alarm, the fallback plays
    int m_lastResult = 0;               // m_thread only: what the last try gave
    QString m_fallback;                 // the object's thread only; each task gets a copy
    std::atomic<quint64> m_wanted{0};   // the start now playing; 0 once stopped
    quint64 m_starts = 0;
    QTimer m_retry;
};
