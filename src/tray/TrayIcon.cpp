#include "tray/TrayIcon.h"

// Placeholder until the notification area lands.
void AddToTray(Form*, QMenu*) {}
void SetTrayIcon(const Picture&) {}
void SetTrayTip(const QString&) {}
void RemoveFromTray() {}
