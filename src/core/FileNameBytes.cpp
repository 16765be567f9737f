#include "core/FileNameBytes.h"

#include <QFile>
#include <sys/stat.h>

namespace {
bool exists(const QByteArray& name)
{
    struct stat info {};
    return ::lstat(name.constData(), &info) == 0;
}
} // namespace

QByteArray FileNameBytes::of(const QString& path)
{
    const QByteArray utf8 = QFile::encodeName(path);
    if (exists(utf8))
        return utf8;
    bool oneByte = true;
    bool beyondAscii = false;
    for (const QChar c : path) {
        oneByte = oneByte && c.unicode() <= 0xff;
        beyondAscii = beyondAscii || c.unicode() > 0x7f;
    }
    if (oneByte && beyondAscii) {
        const QByteArray bytes = path.toLatin1();
        if (exists(bytes))
            return bytes;
    }
    return utf8;
}
