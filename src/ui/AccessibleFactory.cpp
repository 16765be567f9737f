#include "ui/AccessibleFactory.h"

#include "controls/TextBox.h"
#include "ui/Form.h"

#include <QAccessibleWidget>
#include <QTextBoundaryFinder>

#include <algorithm>

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

// The pieces of a text that a boundary type makes (words and the blanks between them, sentences,
// characters), as the offsets where one ends and the next begins, from 0 to the text's length.
QList<int> pieceBounds(const QString& text, QAccessible::TextBoundaryType type)
{
    QList<int> bounds{0};
    if (type == QAccessible::CharBoundary || type == QAccessible::WordBoundary ||
        type == QAccessible::SentenceBoundary) {
        const auto finderType = type == QAccessible::CharBoundary   ? QTextBoundaryFinder::Grapheme
                                : type == QAccessible::WordBoundary ? QTextBoundaryFinder::Word
                                                                    : QTextBoundaryFinder::Sentence;
        constexpr auto itemEdge = QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem;
        QTextBoundaryFinder finder(finderType, text);
        // The finder answers -1 past the end; Qt's own search took that for a position and never ended.
        for (qsizetype at = finder.toNextBoundary(); at > 0 && at < text.size(); at = finder.toNextBoundary()) {
            if (type == QAccessible::CharBoundary || (finder.boundaryReasons() & itemEdge))
                bounds << int(at);
        }
    }
    if (bounds.last() != text.size())
        bounds << int(text.size());
    return bounds;
}

// A text box as a screen reader reads it: its text whole, its selection and caret, a line that
// is one run of one style, and the pieces around an offset. A link box is a link that can be
// pressed; the others can be edited.
class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface {
public:
    explicit TextBoxAccessible(TextBox* box)
        : QAccessibleWidget(box, box->isLink() ? QAccessible::Link : QAccessible::EditableText)
    {
    }

    TextBox* box() const { return static_cast<TextBox*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface && !box()->isLink() && !box()->isReadOnly())
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectableText = true;
        s.editable = !box()->isLink();
        s.readOnly = box()->isReadOnly();
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->text();
        return QAccessibleWidget::text(t);
    }
    void setText(QAccessible::Text t, const QString& text) override
    {
        if (t == QAccessible::Value && !box()->isReadOnly())
            box()->setText(text);
        else if (t != QAccessible::Value)
            QAccessibleWidget::setText(t, text);
    }

    QStringList actionNames() const override
    {
        return box()->isLink() ? QStringList{pressAction()} : QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (box()->isLink() && name == pressAction())
            emit box()->clicked();
        else
            QAccessibleWidget::doAction(name);
    }

    // Text.
    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        if (index == 0 && box()->hasSelectedText()) {
            *start = box()->selectionStart();
            *end = box()->selectionEnd();
        }
    }
    int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0)
            box()->deselect();
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0)
            box()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return box()->cursorPosition(); }
    void setCursorPosition(int position) override { box()->setCursorPosition(position); }
    QString text(int start, int end) const override { return box()->text().mid(start, end - start); }
    int characterCount() const override { return int(box()->text().size()); }
    QRect characterRect(int offset) const override
    {
        // Measured from the caret, where the box has drawn its text (centred, or scrolled).
        const QString shown = box()->text();
        if (offset < 0 || offset >= shown.size())
            return {};
        const QFontMetrics metrics(box()->font());
        const QRect caret = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = caret.x() + metrics.horizontalAdvance(shown.left(offset)) -
                      metrics.horizontalAdvance(shown.left(box()->cursorPosition()));
        const QRect r(x, caret.y(), metrics.horizontalAdvance(shown.mid(offset, 1)), caret.height());
        return r.translated(box()->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return box()->cursorPositionAt(box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int end) override
    {
        box()->setCursorPosition(end);
        box()->setCursorPosition(start);
    }
    // One style for the whole line: a single run, from its start to its end. Runs of no length made
    // Orca drop the last character of every box it read.
    QString attributes(int offset, int* start, int* end) const override
    {
        const int count = characterCount();
        *start = offset < 0 || offset > count ? -1 : 0;
        *end = offset < 0 || offset > count ? -1 : count;
        return {};
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return piece(offset, type, -1, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return piece(offset, type, 0, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start, int* end) const override
    {
        return piece(offset, type, 1, start, end);
    }

    // Editable text.
    void deleteText(int start, int end) override { box()->setText(box()->text().remove(start, end - start)); }
    void insertText(int offset, const QString& text) override { box()->setText(box()->text().insert(offset, text)); }
    void replaceText(int start, int end, const QString& text) override
    {
        box()->setText(box()->text().replace(start, end - start, text));
    }

private:
    // The piece at the offset (step 0), or the one before or after it. The box holds one line: a
    // line or paragraph is the whole text. Past the end there is no piece, and no piece after the last.
    QString piece(int offset, QAccessible::TextBoundaryType type, int step, int* start, int* end) const
    {
        const QString shown = box()->text();
        *start = *end = -1;
        if (offset == -2) // the caret
            offset = cursorPosition();
        if (offset < 0 || offset > shown.size())
            return {};
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary ||
            type == QAccessible::NoBoundary) {
            if (step != 0)
                return {};
            *start = 0;
            *end = int(shown.size());
            return shown;
        }
        const QList<int> bounds = pieceBounds(shown, type);
        // The piece holding the offset; at the very end, the place after the last piece.
        qsizetype at = std::upper_bound(bounds.begin(), bounds.end(), offset) - bounds.begin() - 1;
        at += step;
        if (at < 0 || at + 1 >= bounds.size()) {
            *start = *end = int(shown.size());
            return {};
        }
        *start = bounds.at(at);
        *end = bounds.at(at + 1);
        return shown.mid(*start, *end - *start);
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
    if (auto* box = qobject_cast<TextBox*>(object))
        return new TextBoxAccessible(box);
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
