#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

// Work that can wait until the program has shown itself: it runs once the first window has been
// painted, so it does not hold that paint up, or a second after it was asked for if no window
// paints by then. After the first paint it runs from the event loop at once. Dropped with its context.
class AfterFirstPaint : public QObject {
    Q_OBJECT
public:
    static void run(QObject* context, std::function<void()> work);

    static constexpr int LongestWaitMilliseconds = 1000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AfterFirstPaint();
    static AfterFirstPaint& instance();
    void flush();

    bool m_painted = false;
    QList<QPair<QPointer<QObject>, std::function<void()>>> m_waiting;
};
