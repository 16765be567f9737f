#include "platform/WindowForeground.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

namespace {
// Waits for the X server's notice of a property change on one window, then runs `show` once, after
// Qt itself has read the notice.
class PropertyNotice : public QObject, public QAbstractNativeEventFilter {
public:
    PropertyNotice(QWidget* window, std::function<void()> show)
        : QObject(window), m_xid(quint32(window->windowHandle()->winId())), m_show(std::move(show))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
        QTimer::singleShot(WindowForeground::NoticeWaitMs, this, &PropertyNotice::done);
    }
    ~PropertyNotice() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (m_done || type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
            reinterpret_cast<const xcb_property_notify_event_t*>(event)->window == m_xid)
            QMetaObject::invokeMethod(this, &PropertyNotice::done, Qt::QueuedConnection);
        return false;
    }

private:
    void done()
    {
        if (m_done)
            return;
        m_done = true;
        m_show();
        deleteLater();
    }

    const quint32 m_xid;
    const std::function<void()> m_show;
    bool m_done = false;
};
} // namespace

void WindowForeground::bringForward(QWidget* window, std::function<void()> show)
{
    QWindow* native = window->windowHandle();
    if (!native || QGuiApplication::platformName() != QLatin1String("xcb")) {
        show();
        return;
    }
    new PropertyNotice(window, std::move(show));
    // The same title: QWindow hands it to the X server even unchanged, which answers with a notice.
    native->setTitle(native->title());
}
