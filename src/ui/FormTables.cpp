#include "ui/FormTables.h"

#include "core/ColorValue.h"

#include <cstring>

const ControlRow* WindowTable::control(const char* wanted) const
{
    for (const ControlRow& c : controls) {
        if (std::strcmp(c.name, wanted) == 0)
            return &c;
    }
    return nullptr;
}

namespace {
using K = ControlKind;
constexpr FontChoice SansSerif{"MS Sans Serif", 8.25};
constexpr FontChoice Arial{"Arial", 8.25};
constexpr FontChoice ClockFont{"Arial", 12, true};
constexpr quint32 WindowText = ColorValue::WindowText;
} // namespace

// Tables read best one control to a line.
// clang-format off
const WindowTable& FormTables::form1()
{
    static const WindowTable table{
        .name = "Form1",
        .caption = "Kestrune",
        .clientWidth = 5400,
        .clientHeight = 2040,
        .showInTaskbar = false,
        .programIcon = true,
        .font = Arial,
        .controls =
            {
                {.name = "Frame2", .kind = K::Frame, .left = 120, .top = 0, .width = 2535, .height = 1215, .tabIndex = 8},
                {.name = "SkinLabel1", .kind = K::SkinLabel, .container = "Frame2", .left = 240, .top = 240, .width = 375, .height = 375, .text = QT_TRANSLATE_NOOP("Form1", "Time"), .tabIndex = 16, .font = SansSerif},
                {.name = "SkinLabel2", .kind = K::SkinLabel, .container = "Frame2", .left = 240, .top = 720, .width = 495, .height = 255, .text = QT_TRANSLATE_NOOP("Form1", "Alarm"), .tabIndex = 17, .font = SansSerif},
                {.name = "Text1", .kind = K::TextBox, .left = 840, .top = 240, .width = 1695, .height = 315, .tabIndex = 0, .foreColor = WindowText, .backColor = LightYellow, .font = ClockFont, .centred = true, .label = QT_TRANSLATE_NOOP("Form1", "Time")},
                {.name = "Text2", .kind = K::TextBox, .left = 840, .top = 720, .width = 1695, .height = 315, .tabIndex = 1, .foreColor = WindowText, .backColor = LightYellow, .font = ClockFont, .centred = true, .label = QT_TRANSLATE_NOOP("Form1", "Alarm")},
                {.name = "Frame1", .kind = K::Frame, .left = 2760, .top = 0, .width = 2535, .height = 1215, .tabIndex = 5},
                {.name = "Command3", .kind = K::CommandButton, .left = 2880, .top = 240, .width = 1095, .height = 375, .text = QT_TRANSLATE_NOOP("Form1", "Sleep"), .tabIndex = 4, .enabled = false, .font = SansSerif},
                {.name = "Command5", .kind = K::CommandButton, .container = "Frame1", .left = 1320, .top = 240, .width = 1095, .height = 375, .text = QT_TRANSLATE_NOOP("Form1", "Tray"), .tabIndex = 9, .font = Arial},
                {.name = "Command4", .kind = K::CommandButton, .container = "Frame1", .left = 120, .top = 720, .width = 2295, .height = 375, .text = QT_TRANSLATE_NOOP("Form1", "Select Alarm Sound"), .tabIndex = 6, .font = SansSerif},
                {.name = "Frame3", .kind = K::Frame, .left = 120, .top = 1200, .width = 2535, .height = 735, .tabIndex = 10},
                {.name = "Command1", .kind = K::CommandButton, .left = 240, .top = 1440, .width = 495, .height = 375, .text = QT_TRANSLATE_NOOP("Form1", "ON"), .tabIndex = 2, .font = SansSerif},
                {.name = "Command2", .kind = K::CommandButton, .left = 840, .top = 1440, .width = 495, .height = 375, .text = QT_TRANSLATE_NOOP("Form1", "OFF"), .tabIndex = 3, .enabled = false, .font = SansSerif},
                {.name = "Text5", .kind = K::TextBox, .left = 1440, .top = 1440, .width = 1095, .height = 375, .tabIndex = 7, .foreColor = Black, .backColor = LightGrey, .font = FontChoice{"Arial", 9.75}, .centred = true, .label = QT_TRANSLATE_NOOP("Form1", "Alarm status")},
                {.name = "Frame4", .kind = K::Frame, .left = 2760, .top = 1200, .width = 2535, .height = 735, .tabIndex = 13},
                {.name = "Command7", .kind = K::CommandButton, .container = "Frame4", .left = 120, .top = 240, .width = 1095, .height = 375, .text = QT_TRANSLATE_NOOP("Form1", "Options"), .tabIndex = 15, .font = Arial},
                {.name = "Command6", .kind = K::CommandButton, .container = "Frame4", .left = 1320, .top = 240, .width = 1095, .height = 375, .text = QT_TRANSLATE_NOOP("Form1", "Exit"), .tabIndex = 14, .font = Arial},
                {.name = "HScroll1", .kind = K::HScrollBar, .left = -1920, .top = 2040, .width = 2175, .height = 375, .tabIndex = 12, .visible = false, .minimum = -3000, .maximum = 0, .value = -3000, .label = QT_TRANSLATE_NOOP("Form1", "Volume")},
                {.name = "MediaPlayer1", .kind = K::MediaPlayer, .left = 1320, .top = 2040, .width = 2535, .height = 1815, .tabIndex = 11},
                {.name = "CommonDialog1", .kind = K::CommonDialog},
                {.name = "Skin1", .kind = K::Skin},
            },
        .timers =
            {
                {"Timer1", true, 1000},
                {"Timer2", true, 0},
                {"Timer3", true, 1000},
                {"Timer4", true, 1000},
                {"Timer5", false, 10},
                {"Timer6", false, 1000},
            },
        .menus =
            {
                {"mnutray", QT_TRANSLATE_NOOP("Form1", "&Menu"), nullptr},
                {"sound", QT_TRANSLATE_NOOP("Form1", "&Choose Alarm Sound"), "mnutray"},
                {"trySound", QT_TRANSLATE_NOOP("Form1", "&Try Alarm Sound"), "mnutray"},
                {"login", QT_TRANSLATE_NOOP("Form1", "Start At &Login"), "mnutray"},
                {"options", QT_TRANSLATE_NOOP("Form1", "&Options"), "mnutray"},
                {"sep", "-", "mnutray", true},
                {"Exit", QT_TRANSLATE_NOOP("Form1", "E&xit"), "mnutray"},
                {"about", QT_TRANSLATE_NOOP("Form1", "&About"), nullptr},
            },
    };
    return table;
}

const WindowTable& FormTables::form3()
{
    static const WindowTable table{
        .name = "Form3",
        .caption = QT_TRANSLATE_NOOP("Form3", "Options"),
        .clientWidth = 4395,
        .clientHeight = 1710,
        .showInTaskbar = false,
        .programIcon = false,
        .font = SansSerif,
        .controls =
            {
                {.name = "SkinLabel1", .kind = K::SkinLabel, .left = 120, .top = 240, .width = 1335, .height = 255, .text = QT_TRANSLATE_NOOP("Form3", "Sleep Timer / Min"), .tabIndex = 2, .font = SansSerif},
                {.name = "Text2", .kind = K::TextBox, .left = 1560, .top = 240, .width = 375, .height = 285, .text = "1", .tabIndex = 1, .centred = true, .label = QT_TRANSLATE_NOOP("Form3", "Sleep minutes")},
                {.name = "HScroll1", .kind = K::HScrollBar, .left = 2040, .top = 240, .width = 2175, .height = 285, .tabIndex = 0, .minimum = 1, .maximum = 30, .value = 1, .label = QT_TRANSLATE_NOOP("Form3", "Sleep Timer / Min")},
                {.name = "Command2", .kind = K::CommandButton, .left = 120, .top = 720, .width = 1935, .height = 375, .text = QT_TRANSLATE_NOOP("Form3", "Clock Forecolor"), .tabIndex = 3},
                {.name = "Command3", .kind = K::CommandButton, .left = 2280, .top = 720, .width = 1935, .height = 375, .text = QT_TRANSLATE_NOOP("Form3", "Clock Backcolor"), .tabIndex = 4},
                {.name = "Command1", .kind = K::CommandButton, .left = 3240, .top = 1200, .width = 975, .height = 375, .text = QT_TRANSLATE_NOOP("Form3", "Exit"), .tabIndex = 5},
                {.name = "CommonDialog1", .kind = K::CommonDialog},
                {.name = "Skin1", .kind = K::Skin},
            },
    };
    return table;
}

const WindowTable& FormTables::form2()
{
    static const WindowTable table{
        .name = "Form2",
        .caption = QT_TRANSLATE_NOOP("Form2", "About"),
        .clientWidth = 5415,
        .clientHeight = 2415,
        .showInTaskbar = true,
        .programIcon = false,
        .font = SansSerif,
        .controls =
            {
                {.name = "Text5", .kind = K::TextBox, .left = 120, .top = 120, .width = 2415, .height = 360, .text = "Kestrune v2.0   ", .tabIndex = 5, .font = FontChoice{"Arial", 9.75, true}, .label = QT_TRANSLATE_NOOP("Form2", "Title")},
                {.name = "Text4", .kind = K::TextBox, .left = 240, .top = 720, .width = 2175, .height = 285, .text = QT_TRANSLATE_NOOP("Form2", "Designed and Programmed by:"), .tabIndex = 4, .foreColor = WindowText, .backColor = LightYellow, .borderless = true, .label = QT_TRANSLATE_NOOP("Form2", "Designer's web site")},
                {.name = "Text2", .kind = K::TextBox, .left = 240, .top = 960, .width = 2175, .height = 285, .text = QT_TRANSLATE_NOOP("Form2", "The Kestrune authors"), .tabIndex = 2, .foreColor = WindowText, .backColor = LightYellow, .font = Arial, .borderless = true, .label = QT_TRANSLATE_NOOP("Form2", "Author")},
                {.name = "Text6", .kind = K::TextBox, .left = 240, .top = 1680, .width = 2175, .height = 285, .text = "hello@kestrune.example", .tabIndex = 6, .foreColor = Blue, .backColor = LightYellow, .borderless = true, .label = QT_TRANSLATE_NOOP("Form2", "E-mail")},
                {.name = "Text3", .kind = K::TextBox, .left = 240, .top = 1920, .width = 2175, .height = 285, .text = "https://kestrune.example/", .tabIndex = 3, .foreColor = Blue, .backColor = LightYellow, .font = Arial, .borderless = true, .label = QT_TRANSLATE_NOOP("Form2", "Web site")},
                {.name = "Text1", .kind = K::TextBox, .left = 120, .top = 600, .width = 2415, .height = 1695, .tabIndex = 1, .backColor = LightYellow, .centred = true, .behind = true},
                {.name = "Picture1", .kind = K::PictureBox, .left = 2640, .top = 120, .width = 2655, .height = 2175, .tabIndex = 0},
                {.name = "Image1", .kind = K::Image, .container = "Picture1", .left = 120, .top = 120, .width = 2340, .height = 1875, .resource = ":/images/about.gif"},
                {.name = "Line1", .kind = K::Line, .left = 120, .top = 2400, .width = 5880, .height = 15, .foreColor = WindowText},
                {.name = "Skin1", .kind = K::Skin},
            },
    };
    return table;
}
// clang-format on
