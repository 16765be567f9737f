#include "core/ExecutableFolder.h"

#include <QCoreApplication>

namespace {
QString overrideFolder;
}

QString ExecutableFolder::path()
{
    if (!overrideFolder.isEmpty())
        return overrideFolder;
    return QCoreApplication::applicationDirPath();
}

void ExecutableFolder::setOverride(const QString& folder)
{
    overrideFolder = folder;
}
