#pragma once

#include "core/NotifyIconData.h"

class QMenu;

// The desktop's notification area, reached the way the tray module reaches it: one call with an
// operation and the record. The icon is named by the record's window and identifier; mouse events
// on it arrive as the record's callback message at that window's procedure, with the mouse message
// in the last parameter. Callers do not examine the result.
class NotifyIconService {
public:
    enum Message : quint32 { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };

    virtual ~NotifyIconService() = default;
    // False when an added icon exists already, or a changed or deleted one does not.
    virtual bool notify(Message message, const NotifyIconData& data) = 0;
    // Offers the icon's menu to hosts that draw it themselves (a StatusNotifierItem host reads it
    // over D-Bus). Hosts that only report clicks keep the callback message; there the window
    // procedure opens the menu, so it must not open on its own as well.
    virtual void exportMenu(const NotifyIconData& data, QMenu* menu)
    {
        Q_UNUSED(data);
        Q_UNUSED(menu);
    }

    static NotifyIconService& instance();
    // Not owned. nullptr goes back to the desktop's notification area.
    static void setInstance(NotifyIconService* service);
};
