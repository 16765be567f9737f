#include "controls/Skin.h"

#include <QFile>
#include <QWidget>

Skin::Skin(QObject* parent) : QObject(parent) {}

QString Skin::styleSheet()
{
    static const QString sheet = [] {
        QFile file(QStringLiteral(":/skin/standard.qss"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    return sheet;
}

void Skin::ApplySkin(QWidget* window)
{
    if (window)
        window->setStyleSheet(styleSheet());
}
