#include "core/LogCategories.h"

// Warnings and above by default, as Qt's own categories.
Q_LOGGING_CATEGORY(lcSettings, "kestrune.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSound, "kestrune.sound", QtWarningMsg)
Q_LOGGING_CATEGORY(lcVolume, "kestrune.volume", QtWarningMsg)
Q_LOGGING_CATEGORY(lcInstance, "kestrune.instance", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNotify, "kestrune.notify", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSession, "kestrune.session", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAlarm, "kestrune.alarm", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTray, "kestrune.tray", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPower, "kestrune.power", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDesktop, "kestrune.desktop", QtWarningMsg)
