#include "tray/TrayIcon.h"

#include "platform/NotifyIconService.h"
#include "platform/WindowProcs.h"
#include "tray/TrayWindowProc.h"
#include "ui/Form.h"

#include <QMenu>

QPointer<Form> TrayForm;
QPointer<QMenu> TrayMenu;
qint32 PrevWndProc = 0;
std::function<void()> TrayShowWindow;
NotifyIconData TrayIconData;

namespace {
// The size of the record in its first version, which is the one filled in here.
constexpr quint32 RecordSize = 88;
} // namespace

void AddToTray(Form* window, QMenu* menu, std::function<void()> showWindow)
{
    TrayForm = window;
    TrayMenu = menu;
    TrayShowWindow = std::move(showWindow);
    // Hooked before the icon exists, so no tray message reaches the window unhooked.
    const qint32 hWnd = WindowProcs::handleOf(window);
    PrevWndProc = WindowProcs::setWindowLong(hWnd, WindowProcs::GWL_WNDPROC, WindowProcs::addressOf(&TrayWindowProc));
    TrayIconData.uID = 0;
    TrayIconData.cbSize = RecordSize;
    TrayIconData.hWnd = hWnd;
    TrayIconData.hIcon = window ? Picture::fromIcon(window->windowIcon()).handle : 0;
    TrayIconData.uCallbackMessage = TrayCallbackMessage;
    TrayIconData.uFlags = NotifyIconData::NIF_MESSAGE | NotifyIconData::NIF_ICON;
    NotifyIconService::instance().notify(NotifyIconService::NIM_ADD, TrayIconData);
    // For hosts that draw the menu themselves; the others send clicks to the procedure.
    NotifyIconService::instance().exportMenu(TrayIconData, menu);
}

void SetTrayIcon(const Picture& picture)
{
    if (picture.type != Picture::Icon)
        return;
    TrayIconData.hIcon = picture.handle;
    TrayIconData.uFlags = NotifyIconData::NIF_ICON;
    NotifyIconService::instance().notify(NotifyIconService::NIM_MODIFY, TrayIconData);
}

void SetTrayTip(const QString& tip)
{
    // Padded with blanks, or cut, to the field's 64 characters; a cut takes the NUL with it.
    TrayIconData.szTip = (tip + QChar(0)).leftJustified(NotifyIconData::TipLength, QLatin1Char(' '), true);
    TrayIconData.uFlags = NotifyIconData::NIF_TIP;
    NotifyIconService::instance().notify(NotifyIconService::NIM_MODIFY, TrayIconData);
}

void RemoveFromTray()
{
    // Every step runs whatever the one before it found: the icon or the window may be gone.
    TrayIconData.uFlags = 0;
    NotifyIconService::instance().notify(NotifyIconService::NIM_DELETE, TrayIconData);
    WindowProcs::setWindowLong(WindowProcs::handleOf(TrayForm), WindowProcs::GWL_WNDPROC, PrevWndProc);
}
