#include "core/ColorValue.h"

quint32 ColorValue::fromRgb(int red, int green, int blue)
{
    return quint32(blue & 0xff) << 16 | quint32(green & 0xff) << 8 | quint32(red & 0xff);
}

quint32 ColorValue::fromColor(const QColor& color)
{
    return fromRgb(color.red(), color.green(), color.blue());
}

QColor ColorValue::resolve(quint32 value, const QPalette& palette)
{
    if (!isSystemColor(value))
        return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
    switch (value & 0xff) {
    case 5: // window background
        return palette.color(QPalette::Base);
    case 8: // window text
        return palette.color(QPalette::Text);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 14: // highlight text
        return palette.color(QPalette::HighlightedText);
    default:
        return palette.color(QPalette::Text);
    }
}
