#pragma once

#include <QString>
#include <QtGlobal>

// The record the notification-icon service takes: which window owns the icon and gets its mouse
// messages, which fields a call changes, the icon and the tip. Plain data; every call of the tray
// module hands over the same record.
struct NotifyIconData {
    static constexpr int TipLength = 64;
    static constexpr quint32 NIF_MESSAGE = 1;
    static constexpr quint32 NIF_ICON = 2;
    static constexpr quint32 NIF_TIP = 4;

    quint32 cbSize = 0;
    qint32 hWnd = 0;
    quint32 uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    qint32 hIcon = 0;
    // Always 64 characters, NUL-filled until a tip is stored.
    QString szTip = QString(TipLength, QChar(0));

    // What the desktop shows: the tip up to its NUL, or all of it when the NUL was cut off.
    QString shownTip() const
    {
        const qsizetype end = szTip.indexOf(QChar(0));
        return end < 0 ? szTip : szTip.left(end);
    }
};
