#pragma once

#include <QObject>
#include <QString>

// Keeps the desktop from suspending the computer by itself while held. The user's own suspend (the
// menu, the lid, the power key) is never blocked.
class SuspendInhibitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Holding twice is holding once.
    virtual void hold(const QString& reason) = 0;
    virtual void release() = 0;
};
