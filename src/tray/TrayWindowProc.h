#pragma once

#include <QtGlobal>

// The main window's procedure while its tray icon exists: a left-button release on the icon shows
// the main window, a right-button release opens the tray menu at the pointer, and everything else
// goes to the procedure that was there before, whose result it returns.
qint32 TrayWindowProc(qint32 hWnd, quint32 uMsg, qint32 wParam, qint32 lParam);
