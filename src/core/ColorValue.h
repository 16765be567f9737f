#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

// A stored colour: RGB as 0x00BBGGRR, or a system-colour reference (top bit set, index in the
// low byte) that follows the desktop's palette.
class ColorValue {
public:
    static constexpr quint32 WindowText = 0x80000008u;
    static constexpr quint32 WindowBackground = 0x80000005u;

    static bool isSystemColor(quint32 value) { return (value & 0x80000000u) != 0; }
    static quint32 fromRgb(int red, int green, int blue);
    static quint32 fromColor(const QColor& color);
    // System references resolve through the palette; anything unknown falls back to window text.
    static QColor resolve(quint32 value, const QPalette& palette);
};
