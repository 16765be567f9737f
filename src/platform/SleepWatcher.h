#pragma once

#include <QObject>
#include <QString>

// Hears the system going to sleep and coming back, and can hold its sleep back for a moment (a delay
// lock) so that something is said first.
class SleepWatcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Holding twice is holding once.
    virtual void holdDelay(const QString& reason) = 0;
    virtual void releaseDelay() = 0;

signals:
    // The system is about to sleep; it waits for the delay lock's release, or a few seconds.
    void sleeping();
    void resumed();
};
