#include "core/Clock.h"
#include "core/SystemClock.h"

namespace {
SystemClock systemClock;
Clock* current = &systemClock;
} // namespace

Clock& Clock::instance()
{
    return *current;
}

void Clock::setInstance(Clock* clock)
{
    current = clock ? clock : &systemClock;
}
