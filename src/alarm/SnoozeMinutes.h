#pragma once

#include <QtGlobal>

// The snooze length in minutes, application-wide: the Options window sets it, the snooze reads it
// at every tick. It outlives the Options window.
extern qint16 SnoozeMinutes;
