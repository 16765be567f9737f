#include "tray/TrayWindowProc.h"

#include "platform/WindowProcs.h"
#include "tray/TrayIcon.h"

#include <QCursor>
#include <QMenu>

qint32 TrayWindowProc(qint32 hWnd, quint32 uMsg, qint32 wParam, qint32 lParam)
{
    if (uMsg == TrayCallbackMessage) {
        if (lParam == WindowProcs::WM_LBUTTONUP) {
            // The owner decides; a main window already unloaded is not created afresh by a click.
            if (TrayShowWindow)
                TrayShowWindow();
            return 0;
        }
        if (lParam == WindowProcs::WM_RBUTTONUP) {
            // An "Exit" picked here unloads the main window before exec() returns, so nothing of
            // the window, the menu or the saved procedure is touched afterwards.
            if (QMenu* menu = TrayMenu)
                menu->exec(QCursor::pos());
            return 0;
        }
    }
    return WindowProcs::callWindowProc(PrevWndProc, hWnd, uMsg, wParam, lParam);
}
