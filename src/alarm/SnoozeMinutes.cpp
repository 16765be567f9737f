#include "alarm/SnoozeMinutes.h"

qint16 SnoozeMinutes = 1;
