#pragma once

#include <QLineEdit>

// A single-line text box whose colours are stored colour values (RGB or system references), kept
// exactly as set and resolved against the palette only for drawing.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    qint32 ForeColor() const { return m_foreColor; }
    void setForeColor(qint32 value);
    qint32 BackColor() const { return m_backColor; }
    void setBackColor(qint32 value);
    void setBorderless(bool borderless);
    // A box that opens something when clicked: Enter and Space click it too, and assistive
    // technology is told it is a link.
    bool isLink() const { return m_link; }
    void setLink(bool link);
    // A box whose text the program writes (the clock, the About lines) blinks no text cursor; it
    // still takes the keyboard focus and typing.
    void setCaretShown(bool shown);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void restyle();
    void keepOneLine(const QString& text);

    qint32 m_foreColor;
    qint32 m_backColor;
    bool m_borderless = false;
    bool m_restyling = false;
    bool m_link = false;
};
