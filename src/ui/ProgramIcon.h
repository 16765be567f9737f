#pragma once

#include <QIcon>

// The program icon for windows and the notification area. Qt's ICO reader drops the transparency
// mask of a 24-bit icon, so the drawing comes from the PNG renditions of the same design.
class ProgramIcon {
public:
    static QIcon icon();
};
