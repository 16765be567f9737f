#pragma once

#include <QtGlobal>

class QWidget;

// Window procedures as the tray module expects them: every window gets an integer handle and a
// procedure slot, a procedure can be swapped in while the previous one is handed back, and a
// replacement chains to its predecessor. Procedures are known by 32-bit numbers, so they can be
// stored and handed back like any other value. Windows start with a procedure that returns 0.
class WindowProcs {
public:
    using WindowProc = qint32 (*)(qint32 hWnd, quint32 uMsg, qint32 wParam, qint32 lParam);

    static constexpr int GWL_WNDPROC = -4;
    static constexpr qint32 WM_MOUSEMOVE = 512;
    static constexpr qint32 WM_LBUTTONDOWN = 513;
    static constexpr qint32 WM_LBUTTONUP = 514;
    static constexpr qint32 WM_LBUTTONDBLCLK = 515;
    static constexpr qint32 WM_RBUTTONDOWN = 516;
    static constexpr qint32 WM_RBUTTONUP = 517;
    static constexpr qint32 WM_MBUTTONUP = 520;

    // The window's handle, given on first use and kept for its life; 0 for no window.
    static qint32 handleOf(QWidget* window);
    // The window behind a handle; nullptr once it is destroyed or for an unknown handle.
    static QWidget* windowFor(qint32 hWnd);

    // The number a procedure is known by; the same procedure always gets the same number.
    static qint32 addressOf(WindowProc proc);
    static qint32 defaultProcAddress();

    // Installs a new procedure and returns the one it replaces; 0 (nothing changed) for an unknown
    // window or another index.
    static qint32 setWindowLong(qint32 hWnd, int index, qint32 newLong);
    static qint32 getWindowLong(qint32 hWnd, int index);
    // Runs the procedure with these arguments and returns its result; 0 for an unknown procedure.
    static qint32 callWindowProc(qint32 proc, qint32 hWnd, quint32 uMsg, qint32 wParam, qint32 lParam);
    // Hands a message to the window's current procedure; 0 when the window is gone.
    static qint32 sendMessage(qint32 hWnd, quint32 uMsg, qint32 wParam, qint32 lParam);
};
