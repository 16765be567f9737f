#include "ui/AccessibleFactory.h"

#include "controls/TextBox.h"
#include "ui/Form.h"

#include <QAccessibleWidget>

namespace {
// A control hidden in its window, such as the volume bar: nothing a screen reader should meet.
bool hiddenControl(const QObject* object)
{
    const auto* w = qobject_cast<const QWidget*>(object);
    return w && !w->isWindow() && !w->isVisibleTo(w->window());
}

// A window or a plain container: its children as a screen reader should walk them, without the
// controls that are hidden in the window.
class ContainerAccessible : public QAccessibleWidget {
public:
    ContainerAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<QAccessibleInterface*> shown = shownChildren();
        return index >= 0 && index < shown.size() ? shown.at(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return int(shownChildren().indexOf(const_cast<QAccessibleInterface*>(child)));
    }

private:
    QList<QAccessibleInterface*> shownChildren() const
    {
        QList<QAccessibleInterface*> shown;
        for (int i = 0, n = QAccessibleWidget::childCount(); i < n; ++i) {
            QAccessibleInterface* c = QAccessibleWidget::child(i);
            if (c && !hiddenControl(c->object()))
                shown << c;
        }
        return shown;
    }
};

class FormAccessible : public ContainerAccessible {
public:
    FormAccessible(Form* form, QAccessible::Role role) : ContainerAccessible(form, role) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->windowTitle();
        return ContainerAccessible::text(t);
    }
};

// A link box: the link role, its shown text readable as text, and a press that clicks it.
class LinkAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LinkAccessible(TextBox* box) : QAccessibleWidget(box, QAccessible::Link) {}

    TextBox* box() const { return static_cast<TextBox*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            emit box()->clicked();
    }

    // Read-only text: what the box shows.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int start, int end) const override { return box()->text().mid(start, end - start); }
    int characterCount() const override { return int(box()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int start, int) override { box()->setCursorPosition(start); }
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }
};

QAccessibleInterface* create(const QString& className, QObject* object)
{
    if (auto* form = qobject_cast<Form*>(object)) {
        if (!form->isWindow())
            return nullptr;
        // The main window has a menu bar; the others are its dialogs.
        return new FormAccessible(form, form->menuBar() ? QAccessible::Window : QAccessible::Dialog);
    }
    if (auto* box = qobject_cast<TextBox*>(object); box && box->isLink())
        return new LinkAccessible(box);
    if (auto* w = qobject_cast<QWidget*>(object); w && w->property(Form::AnnouncerProperty).toBool())
        return new QAccessibleWidget(w, QAccessible::Notification);
    // A window's client area, which holds its controls.
    if (className == QLatin1String("QWidget") && object->metaObject() == &QWidget::staticMetaObject)
        return new ContainerAccessible(static_cast<QWidget*>(object), QAccessible::Client);
    return nullptr;
}

QAccessible::UpdateHandler previousHandler = nullptr;

// The hidden volume bar moves a hundred times a second while the alarm fades in: told to a screen
// reader, that queues everything after it. A hidden control tells nothing but its own coming and going.
void filterUpdate(QAccessibleEvent* event)
{
    const QAccessible::Event type = event->type();
    if (hiddenControl(event->object()) && type != QAccessible::ObjectShow && type != QAccessible::ObjectHide &&
        type != QAccessible::ObjectDestroyed)
        return;
    if (previousHandler) {
        previousHandler(event);
        return;
    }
    // Qt hands an event to the platform's bridge itself only while no handler is installed.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&filterUpdate);
}
} // namespace

void AccessibleFactory::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&create);
    previousHandler = QAccessible::installUpdateHandler(&filterUpdate);
}
