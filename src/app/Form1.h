#pragma once

#include "alarm/AlarmControls.h"
#include "controls/CommonDialog.h"
#include "controls/MediaPlayer.h"
#include "controls/Skin.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "ui/Form.h"

#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <memory>
#include <optional>

class AlarmCommands;
class AlarmEngine;
class SettingsFile;
class NotSetNotice;
class RepeatKeeper;
class RingNotification;
class ScreenWake;
class WakePolicy;
struct SettingsRecord;

// The main window: the clock, the alarm box, the buttons and the menu. Start-up and shutdown live
// here; the alarm itself is the engine's.
class QLabel;

class Form1 : public Form {
    Q_OBJECT
public:
    Form1();
    ~Form1() override;

    AlarmEngine& engine() { return *m_engine; }
    // What ON, OFF, Sleep and a click on the tray icon do, for every way in.
    AlarmCommands& commands() { return *m_commands; }
    WakePolicy& wakePolicy() { return *m_wakePolicy; }

    TextBox* Text1() const { return m_Text1; }
    TextBox* Text2() const { return m_Text2; }
    TextBox* Text5() const { return m_Text5; }
    QPushButton* Command1() const { return m_Command1; }
    QPushButton* Command2() const { return m_Command2; }
    QPushButton* Command3() const { return m_Command3; }
    QPushButton* Command4() const { return m_Command4; }
    QPushButton* Command5() const { return m_Command5; }
    QPushButton* Command6() const { return m_Command6; }
    QPushButton* Command7() const { return m_Command7; }
    QScrollBar* HScroll1() const { return m_HScroll1; }
    MediaPlayer* MediaPlayer1() const { return m_MediaPlayer1; }
    CommonDialog* CommonDialog1() const { return m_CommonDialog1; }
    Skin* Skin1() const { return m_Skin1; }
    Timer* Timer1() const { return m_Timer1; }
    Timer* Timer2() const { return m_Timer2; }
    Timer* Timer3() const { return m_Timer3; }
    Timer* Timer4() const { return m_Timer4; }
    Timer* Timer5() const { return m_Timer5; }
    Timer* Timer6() const { return m_Timer6; }
    QMenu* mnutray() const { return m_mnutray; }
    QAction* sound() const { return m_sound; }
    QAction* trySound() const { return m_trySound; }
    QAction* login() const { return m_login; }
    QAction* options() const { return m_options; }
    QAction* about() const { return m_about; }
    QAction* Exit() const { return m_Exit; }

    void Form_Load() override;
    void Form_Unload() override;
    void Command5_Click(); // Tray
    void Command6_Click(); // Exit
    void Command7_Click(); // Options
    void options_Click();
    void about_Click();
    void Exit_Click();
    void login_Click(bool checked); // Start At Login
    // Started by the desktop at login: the alarm is offered for setting, never set by itself.
    void startedAtLogin();
    // A repeating alarm that was set when the program last ended is set again.
    void resumeRepeatingAlarm();

    // Shown, in front, and out of a minimised state.
    void showMainWindow();
    // The end comes from a signal or the session, not from the user: a failed save is only
    // reported on standard error.
    void setEndedFromOutside() { m_endedFromOutside = true; }
    // Something the settings hold may have changed: saved within about a second, if it did.
    void settingsChanged();

private:
    void showNow();
    void applySettings(const SettingsRecord& record);
    SettingsRecord currentSettings() const;
    // What a save would write now, without making the Options window for it.
    QByteArray settingsLine() const;
    void saveIfChanged();
    void tellDamagedSettings();

    AlarmControls alarmControls();
    void updateTrayTip();
    void updateNoSoundLine();

    // Looked up once, when the window is built; see Form::require.
    TextBox* const m_Text1 = require<TextBox>("Text1");
    TextBox* const m_Text2 = require<TextBox>("Text2");
    TextBox* const m_Text5 = require<TextBox>("Text5");
    QPushButton* const m_Command1 = require<QPushButton>("Command1");
    QPushButton* const m_Command2 = require<QPushButton>("Command2");
    QPushButton* const m_Command3 = require<QPushButton>("Command3");
    QPushButton* const m_Command4 = require<QPushButton>("Command4");
    QPushButton* const m_Command5 = require<QPushButton>("Command5");
    QPushButton* const m_Command6 = require<QPushButton>("Command6");
    QPushButton* const m_Command7 = require<QPushButton>("Command7");
    QScrollBar* const m_HScroll1 = require<QScrollBar>("HScroll1");
    MediaPlayer* const m_MediaPlayer1 = require<MediaPlayer>("MediaPlayer1");
    CommonDialog* const m_CommonDialog1 = require<CommonDialog>("CommonDialog1");
    Skin* const m_Skin1 = require<Skin>("Skin1");
    Timer* const m_Timer1 = require<Timer>("Timer1");
    Timer* const m_Timer2 = require<Timer>("Timer2");
    Timer* const m_Timer3 = require<Timer>("Timer3");
    Timer* const m_Timer4 = require<Timer>("Timer4");
    Timer* const m_Timer5 = require<Timer>("Timer5");
    Timer* const m_Timer6 = require<Timer>("Timer6");
    QMenu* const m_mnutray = requireMenu("mnutray");
    QAction* const m_sound = requireMenuItem("sound");
    QAction* const m_trySound = requireMenuItem("trySound");
    QAction* const m_login = requireMenuItem("login");
    QAction* const m_options = requireMenuItem("options");
    QAction* const m_about = requireMenuItem("about");
    QAction* const m_Exit = requireMenuItem("Exit");

    std::unique_ptr<AlarmEngine> m_engine;
    std::unique_ptr<SettingsFile> m_settingsFile;
    std::unique_ptr<ScreenWake> m_screenWake;
    bool m_endedFromOutside = false;
    QTimer* m_saveSoon = nullptr;
    QByteArray m_savedLine;
    std::optional<int> m_savedSnooze;
    AlarmCommands* m_commands = nullptr;
    RingNotification* m_ringNotification = nullptr;
    NotSetNotice* m_notSetNotice = nullptr;
    RepeatKeeper* m_repeatKeeper = nullptr;
    WakePolicy* m_wakePolicy = nullptr;
    QString m_missedAlarm;
    QLabel* m_noSoundLine = nullptr; // shown while the ring has no sound of its own, and why
};
