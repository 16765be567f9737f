#pragma once

#include <QLoggingCategory>

// One log channel, a category per component; switch them with QT_LOGGING_RULES, for example
// "kestrune.sound.debug=true". Failures that are dropped on purpose are logged at debug level.
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // kestrune.settings
Q_DECLARE_LOGGING_CATEGORY(lcSound)    // kestrune.sound: the player and its pipeline
Q_DECLARE_LOGGING_CATEGORY(lcVolume)   // kestrune.volume: the output's mute and level
Q_DECLARE_LOGGING_CATEGORY(lcInstance) // kestrune.instance: the one running copy
Q_DECLARE_LOGGING_CATEGORY(lcNotify)   // kestrune.notify: desktop notifications
Q_DECLARE_LOGGING_CATEGORY(lcSession)  // kestrune.session: signals and the session's end
Q_DECLARE_LOGGING_CATEGORY(lcAlarm)    // kestrune.alarm: the engine
Q_DECLARE_LOGGING_CATEGORY(lcTray)     // kestrune.tray
Q_DECLARE_LOGGING_CATEGORY(lcPower)    // kestrune.power: waking and keeping the computer awake
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)  // kestrune.desktop: windows, links, accessibility
