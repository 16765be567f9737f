#pragma once

#include <QDateTime>

// Knows, while no clock is shown, when the one-second timers next have something to do: the ticker
// sleeps until then instead of waking every second.
class TickPlanner {
public:
    virtual ~TickPlanner() = default;
    // The first moment after now at which a tick is needed (the tick comes at the start of that
    // second); now itself for every second; invalid when none is foreseen.
    virtual QDateTime nextTickNeeded(const QDateTime& now) const = 0;
};
