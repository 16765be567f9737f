#pragma once

#include "ui/WindowTable.h"

// The three windows as they are when created.
class FormTables {
public:
    static const WindowTable& form1(); // the main window
    static const WindowTable& form2(); // About
    static const WindowTable& form3(); // Options

    static constexpr quint32 LightYellow = 12648447; // RGB(255, 255, 192)
    static constexpr quint32 LightGrey = 14737632;   // RGB(224, 224, 224)
    static constexpr quint32 Black = 0;
    static constexpr quint32 Blue = 16711680; // RGB(0, 0, 255)
};
