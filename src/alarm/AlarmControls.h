#pragma once

#include <functional>

class CommonDialog;
class MediaPlayer;
class QAction;
class QPushButton;
class QScrollBar;
class QWidget;
class TextBox;
class Timer;

// The main window's controls that the alarm acts on, handed over by the window that owns them,
// with the one thing the alarm asks of the window itself: come on screen.
struct AlarmControls {
    QWidget* window = nullptr;       // owner of the message box and the file dialog
    TextBox* Text1 = nullptr;        // clock
    TextBox* Text2 = nullptr;        // alarm time
    TextBox* Text5 = nullptr;        // status
    QPushButton* Command1 = nullptr; // ON
    QPushButton* Command2 = nullptr; // OFF
    QPushButton* Command3 = nullptr; // Sleep
    QPushButton* Command4 = nullptr; // Select Alarm Sound
    QScrollBar* HScroll1 = nullptr;  // volume
    MediaPlayer* MediaPlayer1 = nullptr;
    CommonDialog* CommonDialog1 = nullptr;
    Timer* Timer1 = nullptr;     // ring check
    Timer* Timer3 = nullptr;     // match
    Timer* Timer4 = nullptr;     // clock
    Timer* Timer5 = nullptr;     // fade
    Timer* Timer6 = nullptr;     // snooze
    QAction* sound = nullptr;    // the menu's Choose Alarm Sound
    QAction* trySound = nullptr; // the menu's Try Alarm Sound
    std::function<void()> showMainWindow;
};
