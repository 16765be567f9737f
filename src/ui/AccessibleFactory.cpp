#include "ui/AccessibleFactory.h"

#include "controls/TextBox.h"
#include "ui/Form.h"

#include <QAccessibleWidget>

namespace {
class FormAccessible : public QAccessibleWidget {
public:
    FormAccessible(Form* form, QAccessible::Role role) : QAccessibleWidget(form, role) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->windowTitle();
        return QAccessibleWidget::text(t);
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
    Q_UNUSED(className);
    if (auto* form = qobject_cast<Form*>(object)) {
        if (!form->isWindow())
            return nullptr;
        // The main window has a menu bar; the others are its dialogs.
        return new FormAccessible(form, form->menuBar() ? QAccessible::Window : QAccessible::Dialog);
    }
    if (auto* box = qobject_cast<TextBox*>(object); box && box->isLink())
        return new LinkAccessible(box);
    return nullptr;
}
} // namespace

void AccessibleFactory::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&create);
}
