#pragma once

#include "controls/CommonDialog.h"
#include "controls/MediaPlayer.h"
#include "controls/Skin.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "ui/Form.h"

#include <QPushButton>
#include <QScrollBar>

#include <memory>

class AlarmEngine;
struct SettingsRecord;

// The main window: the clock, the alarm box, the buttons and the menu. Start-up and shutdown live
// here; the alarm itself is the engine's.
class Form1 : public Form {
    Q_OBJECT
public:
    Form1();
    ~Form1() override;

    AlarmEngine& engine() { return *m_engine; }

    TextBox* Text1() const { return control<TextBox>("Text1"); }
    TextBox* Text2() const { return control<TextBox>("Text2"); }
    TextBox* Text5() const { return control<TextBox>("Text5"); }
    QPushButton* Command1() const { return control<QPushButton>("Command1"); }
    QPushButton* Command2() const { return control<QPushButton>("Command2"); }
    QPushButton* Command3() const { return control<QPushButton>("Command3"); }
    QPushButton* Command4() const { return control<QPushButton>("Command4"); }
    QPushButton* Command5() const { return control<QPushButton>("Command5"); }
    QPushButton* Command6() const { return control<QPushButton>("Command6"); }
    QPushButton* Command7() const { return control<QPushButton>("Command7"); }
    QScrollBar* HScroll1() const { return control<QScrollBar>("HScroll1"); }
    MediaPlayer* MediaPlayer1() const { return control<MediaPlayer>("MediaPlayer1"); }
    CommonDialog* CommonDialog1() const { return control<CommonDialog>("CommonDialog1"); }
    Skin* Skin1() const { return control<Skin>("Skin1"); }
    Timer* Timer1() const { return timer("Timer1"); }
    Timer* Timer2() const { return timer("Timer2"); }
    Timer* Timer3() const { return timer("Timer3"); }
    Timer* Timer4() const { return timer("Timer4"); }
    Timer* Timer5() const { return timer("Timer5"); }
    Timer* Timer6() const { return timer("Timer6"); }

    void Form_Load() override;
    void Form_Unload() override;
    void Command5_Click(); // Tray
    void Command6_Click(); // Exit
    void Command7_Click(); // Options
    void options_Click();
    void about_Click();
    void Exit_Click();

    // Shown, in front, and out of a minimised state.
    void showMainWindow();

private:
    void applySettings(const SettingsRecord& record);
    SettingsRecord currentSettings() const;

    std::unique_ptr<AlarmEngine> m_engine;
};
