#pragma once

#include "core/NotifyIconData.h"
#include "platform/Picture.h"

#include <QPointer>
#include <QString>

#include <functional>

class Form;
class QMenu;

// The message the notification area sends to the main window for mouse events on its icon.
inline constexpr quint32 TrayCallbackMessage = 2025;

// The notification-area icon of the main window. Called from start-up and shutdown only.
// showWindow is what a left click on the icon does: the tray asks its owner, it knows no window class.
void AddToTray(Form* window, QMenu* menu, std::function<void()> showWindow);
void SetTrayIcon(const Picture& picture);
void SetTrayTip(const QString& tip);
void RemoveFromTray();

// Module state, shared with the window procedure. Set by AddToTray and never cleared; the two
// references fall back to nullptr once their objects are destroyed.
extern QPointer<Form> TrayForm;
extern QPointer<QMenu> TrayMenu;
extern qint32 PrevWndProc;
extern std::function<void()> TrayShowWindow;
extern NotifyIconData TrayIconData;
