#include "platform/Picture.h"

#include <QHash>

namespace {
QHash<qint32, QIcon> icons;
qint32 nextHandle = 1;
} // namespace

Picture Picture::fromIcon(const QIcon& icon)
{
    if (icon.isNull())
        return {};
    for (auto it = icons.cbegin(); it != icons.cend(); ++it) {
        if (it.value().cacheKey() == icon.cacheKey())
            return {Icon, it.key()};
    }
    const qint32 handle = nextHandle++;
    icons.insert(handle, icon);
    return {Icon, handle};
}

QIcon Picture::iconFor(qint32 handle)
{
    return icons.value(handle);
}
