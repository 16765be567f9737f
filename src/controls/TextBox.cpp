#include "controls/TextBox.h"

#include "core/ColorValue.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>

TextBox::TextBox(QWidget* parent)
    : QLineEdit(parent), m_foreColor(qint32(ColorValue::WindowText)), m_backColor(qint32(ColorValue::WindowBackground))
{
    restyle();
    connect(this, &QLineEdit::textEdited, this, &TextBox::keepOneLine);
}

void TextBox::keepOneLine(const QString& text)
{
    // A single-line box takes a pasted text up to its first line break, and never a NUL.
    qsizetype cut = -1;
    for (qsizetype i = 0; i < text.size() && cut < 0; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' || c == u'\n' || c == u'\0' || c == 0x2028 || c == 0x2029)
            cut = i;
    }
    if (cut < 0)
        return;
    const int cursor = qMin(cursorPosition(), int(cut));
    setText(text.left(cut));
    setCursorPosition(cursor);
}

void TextBox::setForeColor(qint32 value)
{
    m_foreColor = value;
    restyle();
}

void TextBox::setBackColor(qint32 value)
{
    m_backColor = value;
    restyle();
}

void TextBox::setBorderless(bool borderless)
{
    m_borderless = borderless;
    restyle();
}

void TextBox::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void TextBox::setLink(bool link)
{
    m_link = link;
    // An interface made before now still describes an editable box: let the next query make it anew.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(this))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

namespace {
// The application's style with a text cursor of no width: nothing blinks.
class NoCaretStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        return metric == PM_TextCursorWidth ? 0 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};
} // namespace

void TextBox::setCaretShown(bool shown)
{
    static NoCaretStyle* const noCaret = [] {
        auto* style = new NoCaretStyle;
        style->setParent(qApp);
        return style;
    }();
    setStyle(shown ? nullptr : noCaret);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (m_link && event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        emit clicked();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    // System colours follow the desktop when its palette changes.
    if (event->type() == QEvent::PaletteChange && !m_restyling)
        restyle();
}

void TextBox::restyle()
{
    // An own style sheet wins over the window's skin, so the chosen colours always show.
    m_restyling = true;
    const QPalette pal = parentWidget() ? parentWidget()->palette() : palette();
    const QColor fore = ColorValue::resolve(quint32(m_foreColor), pal);
    const QColor back = ColorValue::resolve(quint32(m_backColor), pal);
    QString sheet = QStringLiteral("QLineEdit { color: %1; background-color: %2;%3 }")
                        .arg(fore.name(), back.name(), m_borderless ? QStringLiteral(" border: none;") : QString());
    if (sheet != styleSheet())
        setStyleSheet(sheet);
    m_restyling = false;
}
