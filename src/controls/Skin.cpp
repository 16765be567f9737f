#include "controls/Skin.h"

#include <QEvent>
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

namespace {
// Styles a window at its first show: the sheet's rules are matched and cached per widget, which
// for a window that may never be opened (the Options window made for the stored snooze) is time
// and memory spent at start-up for nothing.
class SkinOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            static_cast<QWidget*>(watched)->setStyleSheet(Skin::styleSheet());
            deleteLater();
            watched->removeEventFilter(this);
        }
        return false;
    }
};
} // namespace

void Skin::ApplySkin(QWidget* window)
{
    if (!window)
        return;
    if (window->isVisible()) {
        window->setStyleSheet(styleSheet());
        return;
    }
    window->installEventFilter(new SkinOnShow(window));
}
