#include "ui/ProgramIcon.h"

#include <QImageReader>
#include <QPixmap>

QIcon ProgramIcon::icon()
{
    static const QIcon icon = [] {
        QIcon result;
        // Read as PNG and nothing else: a file whose format is guessed loads every image plugin (and
        // libjpeg with them) before the first window is drawn. The desktop takes larger sizes from
        // the installed icon theme; the window and the tray need these.
        for (int size : {32, 48, 64, 128}) {
            QImageReader reader(QStringLiteral(":/icons/hicolor/%1x%1/apps/kestrune.png").arg(size), "png");
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            if (!image.isNull())
                result.addPixmap(QPixmap::fromImage(image));
        }
        return result;
    }();
    return icon;
}
