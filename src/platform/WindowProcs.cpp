#include "platform/WindowProcs.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace {
const char* const HandleProperty = "kestruneWindowHandle";
// Procedure numbers look like addresses: never 0, and not small enough to pass for a count.
constexpr qint32 FirstProcAddress = 0x10000;
constexpr qint32 ProcAddressStep = 0x10;

struct Slot {
    QPointer<QWidget> window;
    qint32 proc = 0;
};

QHash<qint32, Slot> windows;
qint32 nextHandle = 0x100;
QList<WindowProcs::WindowProc> procs;

qint32 defaultWindowProc(qint32, quint32, qint32, qint32)
{
    return 0;
}

Slot* slotFor(qint32 hWnd)
{
    auto it = windows.find(hWnd);
    if (it == windows.end())
        return nullptr;
    if (it->window.isNull()) {
        windows.erase(it);
        return nullptr;
    }
    return &*it;
}
} // namespace

qint32 WindowProcs::handleOf(QWidget* window)
{
    if (!window)
        return 0;
    bool known = false;
    const qint32 stored = window->property(HandleProperty).toInt(&known);
    if (known)
        return stored;
    const qint32 hWnd = nextHandle;
    nextHandle += 4;
    window->setProperty(HandleProperty, hWnd);
    windows.insert(hWnd, {window, defaultProcAddress()});
    return hWnd;
}

QWidget* WindowProcs::windowFor(qint32 hWnd)
{
    const Slot* slot = slotFor(hWnd);
    return slot ? slot->window.data() : nullptr;
}

qint32 WindowProcs::addressOf(WindowProc proc)
{
    if (!proc)
        return 0;
    qsizetype index = procs.indexOf(proc);
    if (index < 0) {
        index = procs.size();
        procs.append(proc);
    }
    return FirstProcAddress + qint32(index) * ProcAddressStep;
}

qint32 WindowProcs::defaultProcAddress()
{
    return addressOf(&defaultWindowProc);
}

qint32 WindowProcs::setWindowLong(qint32 hWnd, int index, qint32 newLong)
{
    Slot* slot = slotFor(hWnd);
    if (!slot || index != GWL_WNDPROC)
        return 0;
    const qint32 previous = slot->proc;
    slot->proc = newLong;
    return previous;
}

qint32 WindowProcs::getWindowLong(qint32 hWnd, int index)
{
    const Slot* slot = slotFor(hWnd);
    if (!slot || index != GWL_WNDPROC)
        return 0;
    return slot->proc;
}

qint32 WindowProcs::callWindowProc(qint32 proc, qint32 hWnd, quint32 uMsg, qint32 wParam, qint32 lParam)
{
    const qint64 offset = qint64(proc) - FirstProcAddress;
    if (offset < 0 || offset % ProcAddressStep != 0 || offset / ProcAddressStep >= procs.size())
        return 0;
    return procs.at(qsizetype(offset / ProcAddressStep))(hWnd, uMsg, wParam, lParam);
}

qint32 WindowProcs::sendMessage(qint32 hWnd, quint32 uMsg, qint32 wParam, qint32 lParam)
{
    const Slot* slot = slotFor(hWnd);
    if (!slot)
        return 0;
    return callWindowProc(slot->proc, hWnd, uMsg, wParam, lParam);
}
