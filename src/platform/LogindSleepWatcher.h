#pragma once

#include "platform/SleepWatcher.h"

#include <QDBusUnixFileDescriptor>

// logind's PrepareForSleep on the system bus and its "sleep" delay inhibitor. Without a system bus
// or a logind (a container, a system without systemd) it hears nothing and holds nothing.
class LogindSleepWatcher : public SleepWatcher {
    Q_OBJECT
public:
    explicit LogindSleepWatcher(QObject* parent = nullptr);

    void holdDelay(const QString& reason) override;
    void releaseDelay() override;

private slots:
    void prepareForSleep(bool start);

private:
    bool m_held = false;
    bool m_listening = false; // PrepareForSleep is connected, from the first arming on
    quint64 m_generation = 0;
    QDBusUnixFileDescriptor m_lock;
};
