#pragma once

#include "controls/CommonDialog.h"
#include "controls/Skin.h"
#include "controls/TextBox.h"
#include "ui/Form.h"

#include <QPushButton>
#include <QScrollBar>

// The Options window: the clock colours and the snooze length.
class Form3 : public Form {
    Q_OBJECT
public:
    Form3();

    TextBox* Text2() const { return m_Text2; }
    QScrollBar* HScroll1() const { return m_HScroll1; }
    QPushButton* Command1() const { return m_Command1; }
    QPushButton* Command2() const { return m_Command2; }
    QPushButton* Command3() const { return m_Command3; }
    CommonDialog* CommonDialog1() const { return m_CommonDialog1; }
    Skin* Skin1() const { return m_Skin1; }

    void Form_Load() override;
    void Command1_Click(); // Exit
    void Command2_Click(); // Clock Forecolor
    void Command3_Click(); // Clock Backcolor
    void HScroll1_Change();
    void HScroll1_Scroll();
    void Text2_Change();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

signals:
    // The user picked a clock colour; whoever created the window paints the clock boxes with it.
    void foreColorChosen(qint32 color);
    void backColorChosen(qint32 color);

private:
    // Looked up once, when the window is built; see Form::require.
    TextBox* const m_Text2 = require<TextBox>("Text2");
    QScrollBar* const m_HScroll1 = require<QScrollBar>("HScroll1");
    QPushButton* const m_Command1 = require<QPushButton>("Command1");
    QPushButton* const m_Command2 = require<QPushButton>("Command2");
    QPushButton* const m_Command3 = require<QPushButton>("Command3");
    CommonDialog* const m_CommonDialog1 = require<CommonDialog>("CommonDialog1");
    Skin* const m_Skin1 = require<Skin>("Skin1");
};
