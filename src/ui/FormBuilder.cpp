#include "ui/FormBuilder.h"

#include "controls/CommonDialog.h"
#include "controls/MediaPlayer.h"
#include "controls/Skin.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "core/ColorValue.h"
#include "ui/AccessibleFactory.h"
#include "ui/Form.h"
#include "ui/ProgramIcon.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {
int px(int twips)
{
    return twips / FormBuilder::TwipsPerPixel;
}

bool drawnAs(const QString& family)
{
    return QFontInfo(QFont(family)).family().compare(family, Qt::CaseInsensitive) == 0;
}

QFont fontFor(const FontChoice& choice)
{
    QString family = QString::fromLatin1(choice.family);
    // "MS Sans Serif" is a narrow face that is rarely installed, and fontconfig would hand over a
    // much wider sans that cuts the captions; Arial's metrics (Liberation Sans) come closest.
    // QFontDatabase::hasFamily() says yes to fontconfig's substitute, so ask which face is drawn.
    // Asked once: the answer does not change while the program runs, and each question loads a face.
    static const bool msSansDrawn = drawnAs(QStringLiteral("MS Sans Serif"));
    if (family == QLatin1String("MS Sans Serif") && !msSansDrawn)
        family = QStringLiteral("Arial");
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(choice.points);
    font.setWeight(choice.bold ? QFont::Bold : QFont::Normal);
    return font;
}

// A table's text as the user's language has it; the window's name is the translator's context.
QString shown(const Form& form, const char* text)
{
    return QCoreApplication::translate(form.table().name, text);
}
} // namespace

void FormBuilder::build(Form& form)
{
    AccessibleFactory::install();
    const WindowTable& table = form.table();
    form.setObjectName(QString::fromLatin1(table.name));
    form.setWindowTitle(shown(form, table.caption));
    form.setFont(fontFor(table.font));

    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint;
    // Out of the task bar only where a notification area can bring the window back.
    if (!table.showInTaskbar && QSystemTrayIcon::isSystemTrayAvailable())
        flags |= Qt::Tool;
    form.setWindowFlags(flags);
    if (table.programIcon)
        form.setWindowIcon(ProgramIcon::icon());

    auto* layout = new QVBoxLayout(&form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The window is always its menu bar and its client area, whatever a skin does to the bar.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    form.m_client = new QWidget(&form);
    form.m_client->setObjectName(QStringLiteral("clientArea"));
    form.m_client->setFixedSize(px(table.clientWidth), px(table.clientHeight));
    layout->addWidget(form.m_client);

    for (const ControlRow& c : table.controls) {
        QWidget* container = form.m_client;
        int containerWidth = table.clientWidth;
        if (c.container) {
            if (auto* w = qobject_cast<QWidget*>(form.controlObject(QString::fromLatin1(c.container))))
                container = w;
            if (const ControlRow* row = table.control(c.container))
                containerWidth = row->width;
        }
        // A language read from right to left reads the window so too: every place is mirrored across
        // its container, and the controls lie where that reader looks for them first.
        ControlRow placed = c;
        if (form.isRightToLeft())
            placed.left = containerWidth - c.left - c.width;
        if (QWidget* w = buildWidget(form, placed, container))
            form.m_controls.insert(QString::fromLatin1(c.name), w);
        else
            buildNonVisual(form, c);
    }
    // Frames and panels lie behind the controls placed over them.
    for (const ControlRow& c : table.controls) {
        if (c.kind == ControlKind::Frame || c.behind) {
            if (auto* w = qobject_cast<QWidget*>(form.controlObject(QString::fromLatin1(c.name))))
                w->lower();
        }
    }
    for (const TimerRow& t : table.timers) {
        auto* timer = new Timer(&form);
        timer->setObjectName(QString::fromLatin1(t.name));
        timer->setInterval(t.interval);
        timer->setEnabled(t.enabled);
        form.m_controls.insert(QString::fromLatin1(t.name), timer);
    }
    buildMenus(form);
    buildTabOrder(form);
    form.adjustSize();
}

QWidget* FormBuilder::buildWidget(Form& form, const ControlRow& c, QWidget* container)
{
    QWidget* w = nullptr;
    switch (c.kind) {
    case ControlKind::Frame: {
        auto* frame = new QGroupBox(container);
        w = frame;
        break;
    }
    case ControlKind::SkinLabel: {
        auto* label = new QLabel(shown(form, c.text), container);
        label->setProperty("skinLabel", true);
        w = label;
        break;
    }
    case ControlKind::TextBox: {
        auto* box = new TextBox(container);
        box->setText(shown(form, c.text));
        box->setAlignment(c.centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        if (c.foreColor)
            box->setForeColor(qint32(*c.foreColor));
        if (c.backColor)
            box->setBackColor(qint32(*c.backColor));
        box->setBorderless(c.borderless);
        // A text wider than its box shows its start, not its end.
        box->setCursorPosition(0);
        w = box;
        break;
    }
    case ControlKind::CommandButton:
        w = new QPushButton(shown(form, c.text), container);
        w->setFocusPolicy(Qt::StrongFocus);
        break;
    case ControlKind::HScrollBar: {
        auto* bar = new QScrollBar(Qt::Horizontal, container);
        bar->setRange(c.minimum, c.maximum);
        bar->setValue(c.value);
        bar->setSingleStep(c.smallChange);
        bar->setPageStep(c.largeChange);
        bar->setFocusPolicy(Qt::StrongFocus);
        w = bar;
        break;
    }
    case ControlKind::PictureBox: {
        auto* frame = new QFrame(container);
        frame->setFrameShape(QFrame::Box);
        w = frame;
        break;
    }
    case ControlKind::Image: {
        auto* image = new QLabel(container);
        image->setPixmap(QPixmap(QString::fromLatin1(c.resource)));
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        w = image;
        break;
    }
    case ControlKind::Line: {
        auto* line = new QFrame(container);
        line->setFrameShape(QFrame::NoFrame);
        line->setAutoFillBackground(true);
        QPalette pal = line->palette();
        pal.setColor(QPalette::Window, ColorValue::resolve(c.foreColor.value_or(ColorValue::WindowText), pal));
        line->setPalette(pal);
        line->setGeometry(px(c.left), px(c.top), px(c.width), 1);
        w = line;
        break;
    }
    default:
        return nullptr;
    }
    w->setObjectName(QString::fromLatin1(c.name));
    if (c.kind != ControlKind::Line)
        w->setGeometry(px(c.left), px(c.top), px(c.width), px(c.height));
    if (c.font)
        w->setFont(fontFor(*c.font));
    else if (c.kind == ControlKind::TextBox)
        w->setFont(form.font()); // with a style sheet of its own a box would take the application's font
    w->setEnabled(c.enabled);
    w->setVisible(c.visible);
    if (c.kind == ControlKind::Frame || c.kind == ControlKind::SkinLabel || c.kind == ControlKind::PictureBox ||
        c.kind == ControlKind::Image || c.kind == ControlKind::Line)
        w->setFocusPolicy(Qt::NoFocus);
    // Buttons and labels are named by their captions; boxes and bars by their label.
    if (c.label)
        w->setAccessibleName(shown(form, c.label));
    return w;
}

void FormBuilder::buildNonVisual(Form& form, const ControlRow& c)
{
    QObject* o = nullptr;
    switch (c.kind) {
    case ControlKind::MediaPlayer:
        o = new MediaPlayer(&form);
        break;
    case ControlKind::CommonDialog:
        o = new CommonDialog(&form);
        break;
    case ControlKind::Skin:
        o = new Skin(&form);
        break;
    default:
        return;
    }
    o->setObjectName(QString::fromLatin1(c.name));
    form.m_controls.insert(QString::fromLatin1(c.name), o);
}

void FormBuilder::buildMenus(Form& form)
{
    const WindowTable& table = form.table();
    if (table.menus.empty())
        return;
    form.m_menuBar = new QMenuBar(&form);
    form.m_menuBar->setNativeMenuBar(false);
    static_cast<QVBoxLayout*>(form.layout())->setMenuBar(form.m_menuBar);
    for (const MenuRow& m : table.menus) {
        const QString name = QString::fromLatin1(m.name);
        const QString caption = m.separator ? QString() : shown(form, m.caption);
        QMenu* parent = m.parent ? form.m_menus.value(QString::fromLatin1(m.parent)) : nullptr;
        const bool hasItems = std::any_of(table.menus.begin(), table.menus.end(), [&](const MenuRow& other) {
            return other.parent && qstrcmp(other.parent, m.name) == 0;
        });
        QAction* action = nullptr;
        if (!parent && hasItems) {
            QMenu* menu = form.m_menuBar->addMenu(caption);
            menu->setObjectName(name);
            form.m_menus.insert(name, menu);
            action = menu->menuAction();
        } else if (!parent) {
            action = form.m_menuBar->addAction(caption);
        } else if (m.separator) {
            action = parent->addSeparator();
        } else {
            action = parent->addAction(caption);
        }
        action->setObjectName(name);
        form.m_menuItems.insert(name, action);
    }
    form.m_menuBar->installEventFilter(&form); // Enter on a command of the bar itself
    // F10 opens the bar's first menu, as in GTK and KDE programs: it does what Alt with that menu's
    // mnemonic does (the bar takes the keyboard, the first item is ready), which no public call does.
    auto* openMenu = new QAction(&form);
    openMenu->setObjectName(QStringLiteral("openMenuBar"));
    openMenu->setShortcut(Qt::Key_F10);
    openMenu->setShortcutContext(Qt::WindowShortcut);
    form.addAction(openMenu);
    QObject::connect(openMenu, &QAction::triggered, &form, [&form] {
        const QAction* first = form.m_menuBar->actions().value(0);
        const QKeySequence mnemonic = first ? QKeySequence::mnemonic(first->text()) : QKeySequence();
        if (mnemonic.isEmpty())
            return;
        // Sent after this shortcut is done; a key sent by the program is tried as a shortcut first.
        QTimer::singleShot(0, &form, [&form, key = mnemonic[0]] {
            QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers());
            QCoreApplication::sendEvent(form.focusWidget() ? form.focusWidget() : &form, &press);
        });
    });
}

void FormBuilder::buildTabOrder(Form& form)
{
    std::vector<const ControlRow*> ordered;
    for (const ControlRow& c : form.table().controls) {
        if (c.tabIndex >= 0)
            ordered.push_back(&c);
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const ControlRow* a, const ControlRow* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const ControlRow* c : ordered) {
        auto* w = qobject_cast<QWidget*>(form.controlObject(QString::fromLatin1(c->name)));
        if (!w || w->focusPolicy() == Qt::NoFocus)
            continue;
        form.m_tabOrder.append(w);
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}
