#include "dialogs/SnoozeMinutes.h"

qint16 SnoozeMinutes = 1;
