#pragma once

#include <QIcon>
#include <QtGlobal>

// A picture as the tray routines take it: its type (0 none, 1 bitmap, 3 icon) and a handle.
struct Picture {
    int type = 0;
    qint32 handle = 0;

    static constexpr int None = 0;
    static constexpr int Bitmap = 1;
    static constexpr int Icon = 3;

    static Picture fromIcon(const QIcon& icon);
    // The icon behind a handle; a null icon for an unknown handle.
    static QIcon iconFor(qint32 handle);
};
