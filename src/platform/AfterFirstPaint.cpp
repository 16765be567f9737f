#include "platform/AfterFirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

AfterFirstPaint::AfterFirstPaint()
{
    QCoreApplication::instance()->installEventFilter(this);
}

AfterFirstPaint& AfterFirstPaint::instance()
{
    static auto* one = new AfterFirstPaint;
    return *one;
}

void AfterFirstPaint::run(QObject* context, std::function<void()> work)
{
    AfterFirstPaint& self = instance();
    self.m_waiting.append({QPointer<QObject>(context), std::move(work)});
    QTimer::singleShot(self.m_painted ? 0 : LongestWaitMilliseconds, &self, &AfterFirstPaint::flush);
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
        m_painted = true;
        QCoreApplication::instance()->removeEventFilter(this);
        // From the event loop, once this paint is on its way to the screen.
        QTimer::singleShot(0, this, &AfterFirstPaint::flush);
    }
    return false;
}

void AfterFirstPaint::flush()
{
    const auto waiting = std::exchange(m_waiting, {});
    for (const auto& [context, work] : waiting) {
        if (context)
            work();
    }
}
