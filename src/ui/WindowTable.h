#pragma once

#include <QtGlobal>
#include <optional>
#include <vector>

// A window's controls and starting values, as data. Places and sizes are in twips
// (15 twips = 1 device-independent pixel).
enum class ControlKind {
    Frame,
    SkinLabel,
    TextBox,
    CommandButton,
    HScrollBar,
    MediaPlayer,
    CommonDialog,
    Skin,
    PictureBox,
    Image,
    Line
};

struct FontChoice {
    const char* family;
    double points;
    bool bold = false;
};

struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* container = nullptr; // nullptr: the window itself
    int left = 0, top = 0, width = 0, height = 0;
    const char* text = "";
    int tabIndex = -1; // -1: not in the focus order
    bool enabled = true;
    bool visible = true;
    std::optional<quint32> foreColor = {};
    std::optional<quint32> backColor = {};
    std::optional<FontChoice> font = {};
    bool centred = false;
    bool borderless = false;
    bool behind = false; // a panel that other controls of the window lie over
    int minimum = 0, maximum = 0, value = 0, smallChange = 1, largeChange = 1;
    const char* resource = nullptr; // an image's picture
    const char* label = nullptr;    // what assistive technology calls a control that has no caption
};

struct TimerRow {
    const char* name;
    bool enabled;
    int interval;
};

struct MenuRow {
    const char* name;
    const char* caption; // an & marks the mnemonic: the key that picks the entry, underlined, not shown
    const char* parent;  // nullptr: on the menu bar itself
    bool separator = false;
};

struct WindowTable {
    const char* name;
    const char* caption;
    int clientWidth, clientHeight; // twips
    bool showInTaskbar;
    bool programIcon;
    FontChoice font;
    std::vector<ControlRow> controls;
    std::vector<TimerRow> timers;
    std::vector<MenuRow> menus;

    const ControlRow* control(const char* name) const;
};
