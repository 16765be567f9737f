#pragma once

#include "platform/NotifyIconService.h"
#include "platform/WindowProcs.h"

#include <QList>
#include <QPair>
#include <QSet>

// A notification area that shows nothing and remembers every call, the record as it was then, and
// which procedure the owning window had at that moment.
class RecordingNotifyIcon : public NotifyIconService {
public:
    struct Call {
        Message message;
        NotifyIconData data;
        qint32 ownerProc;
    };

    bool notify(Message message, const NotifyIconData& data) override
    {
        calls.append({message, data, WindowProcs::getWindowLong(data.hWnd, WindowProcs::GWL_WNDPROC)});
        const QPair<qint32, quint32> key(data.hWnd, data.uID);
        switch (message) {
        case NIM_ADD:
            if (icons.contains(key))
                return false;
            icons.insert(key);
            return true;
        case NIM_MODIFY:
            return icons.contains(key);
        case NIM_DELETE:
            return icons.remove(key);
        }
        return false;
    }

    QList<Call> calls;
    QSet<QPair<qint32, quint32>> icons;
};
