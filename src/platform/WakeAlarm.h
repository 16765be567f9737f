#pragma once

#include <QDateTime>
#include <QObject>

// A timer that wakes the suspended computer at a moment of the wall clock, where the system allows it.
class WakeAlarm : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether setting the timer wakes a suspended computer.
    virtual bool canWake() const = 0;
    // Replaces any moment set before; a moment already past fires at once.
    virtual void set(const QDateTime& when) = 0;
    virtual void clear() = 0;

signals:
    // The wall clock was set: a moment set before may stand for another real time now.
    void clockChanged();
    // canWake() turned out otherwise than it read: the answer to a set() may come later.
    void canWakeChanged();
};
