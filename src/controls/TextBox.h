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

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void restyle();
    void keepOneLine(const QString& text);

    qint32 m_foreColor;
    qint32 m_backColor;
    bool m_borderless = false;
    bool m_restyling = false;
};
