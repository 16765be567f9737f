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

    TextBox* Text2() const { return control<TextBox>("Text2"); }
    QScrollBar* HScroll1() const { return control<QScrollBar>("HScroll1"); }
    QPushButton* Command1() const { return control<QPushButton>("Command1"); }
    QPushButton* Command2() const { return control<QPushButton>("Command2"); }
    QPushButton* Command3() const { return control<QPushButton>("Command3"); }
    CommonDialog* CommonDialog1() const { return control<CommonDialog>("CommonDialog1"); }
    Skin* Skin1() const { return control<Skin>("Skin1"); }

    void Form_Load() override;
    void Command1_Click(); // Exit
    void Command2_Click(); // Clock Forecolor
    void Command3_Click(); // Clock Backcolor
    void HScroll1_Change();
    void HScroll1_Scroll();
    void Text2_Change();
};
