#include "ui/Form.h"

#include "controls/Timer.h"
#include "core/Clock.h"
#include "ui/FormBuilder.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <utility>

Form::Form(const WindowTable& table) : m_table(table)
{
    FormBuilder::build(*this);
}

Timer* Form::timer(const char* name) const
{
    return control<Timer>(name);
}

QAction* Form::menuItem(const char* name) const
{
    return m_menuItems.value(QString::fromLatin1(name));
}

QMenu* Form::menu(const char* name) const
{
    return m_menus.value(QString::fromLatin1(name));
}

QAction* Form::requireMenuItem(const char* name) const
{
    QAction* found = menuItem(name);
    if (!found)
        missing("menu item", name);
    return found;
}

QMenu* Form::requireMenu(const char* name) const
{
    QMenu* found = menu(name);
    if (!found)
        missing("menu", name);
    return found;
}

void Form::missing(const char* kind, const char* name) const
{
    qFatal("kestrune: window %s has no %s named %s of the expected type", m_table.name, kind, name);
}

void Form::minimise()
{
    const Qt::WindowFlags flags = windowFlags() | Qt::WindowMinimizeButtonHint;
    if (flags != windowFlags()) {
        // Not setWindowFlags(), which would unmap the window and map it anew.
        overrideWindowFlags(flags);
        if (QWindow* native = windowHandle())
            native->setFlags(flags);
    }
    showMinimized();
}

void Form::alertAt(QWidget* control, const QString& reason)
{
    m_keysFrom = Clock::instance().now();
    // Focus that is already there is not announced again: move it away and back.
    if (control->hasFocus())
        control->clearFocus();
    control->setFocus(Qt::OtherFocusReason);
    // Said once the window is in front: a screen reader cuts short what it is saying when a window
    // comes forward. A window the desktop keeps behind is announced after a while all the same.
    m_pendingAnnouncement = reason;
    if (isActiveWindow())
        announcePending();
    else
        QTimer::singleShot(AnnounceWaitMs, this, &Form::announcePending);
}

void Form::announcePending()
{
    announce(std::exchange(m_pendingAnnouncement, QString()));
}

void Form::announce(const QString& text)
{
    if (text.isEmpty())
        return;
    // Orca 43 speaks neither a changed description nor a changed name of a Qt control (the bridge sends
    // the change without the text), but it speaks a notification that comes into view.
    if (!m_announcer) {
        m_announcer = new QWidget(this);
        m_announcer->setObjectName(QStringLiteral("announcer"));
        m_announcer->setProperty(AnnouncerProperty, true);
        m_announcer->setFixedSize(0, 0);
    }
    // Named while still in view, so that the change reaches a screen reader's copy of the name.
    m_announcer->setAccessibleName(text);
    m_announcer->hide();
    m_announcer->show();
}

void Form::holdKeysAtFirst(const QList<QWidget*>& controls)
{
    for (QWidget* control : controls)
        control->installEventFilter(this);
}

bool Form::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Select)
        return QWidget::eventFilter(watched, event);
    if (watched == m_menuBar)
        return pickOnMenuBar();
    if (!m_keysFrom.isValid())
        return false;
    // A clock set back is no reason to hold the keys for longer.
    const qint64 since = m_keysFrom.msecsTo(Clock::instance().now());
    return since >= 0 && since < KeyHoldMs;
}

bool Form::pickOnMenuBar()
{
    // A command on the bar itself (About), reached with the arrow keys, is picked with Enter or Space
    // as a menu there is opened: Qt leaves that to the style, and Fusion, GNOME's, does not do it.
    QAction* current = m_menuBar->activeAction();
    if (!current || current->menu())
        return false;
    // Out of the bar's keyboard mode first, which gives the focus back to where it was.
    QKeyEvent leave(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(m_menuBar, &leave);
    current->trigger();
    return true;
}

void Form::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_keysFrom = Clock::instance().now();
        // After the focus that comes with the activation has been told.
        QTimer::singleShot(0, this, &Form::announcePending);
    }
}

void Form::closeEvent(QCloseEvent* event)
{
    // What closing means is the window's owner's decision (unload, or only hide).
    event->ignore();
    emit closeRequested();
}

void Form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    if (QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    for (QWidget* w : std::as_const(m_tabOrder)) {
        if (w->isEnabled() && w->isVisibleTo(this)) {
            w->setFocus(Qt::TabFocusReason);
            break;
        }
    }
}
