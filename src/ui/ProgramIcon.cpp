#include "ui/ProgramIcon.h"

QIcon ProgramIcon::icon()
{
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {32, 48, 64, 128, 256})
            result.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/kestrune.png").arg(size), QSize(size, size));
        return result;
    }();
    return icon;
}
