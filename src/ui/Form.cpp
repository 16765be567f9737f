#include "ui/Form.h"

#include "controls/Timer.h"
#include "ui/FormBuilder.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QMenu>
#include <QScreen>
#include <QWindow>

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
    control->setAccessibleDescription(reason);
    if (reason.isEmpty())
        return;
    // Focus that is already there is not announced again: move it away and back.
    if (control->hasFocus())
        control->clearFocus();
    control->setFocus(Qt::OtherFocusReason);
    QAccessibleEvent alert(control, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
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
