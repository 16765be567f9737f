#pragma once

#include "platform/Picture.h"

#include <QString>

class Form;
class QMenu;

// The notification-area icon of the main window. Called from start-up and shutdown only.
void AddToTray(Form* window, QMenu* menu);
void SetTrayIcon(const Picture& picture);
void SetTrayTip(const QString& tip);
void RemoveFromTray();
