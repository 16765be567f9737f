#pragma once

#include "ui/WindowTable.h"

#include <QDateTime>
#include <QHash>
#include <QWidget>

class QAction;
class QMenu;
class QMenuBar;
class Timer;

// A window built from its table. Controls are found by name, as the handlers know them.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const WindowTable& table);

    const WindowTable& table() const { return m_table; }
    QString formName() const { return QString::fromLatin1(m_table.name); }

    QObject* controlObject(const QString& name) const { return m_controls.value(name); }
    template <class T> T* control(const char* name) const
    {
        return qobject_cast<T*>(m_controls.value(QString::fromLatin1(name)));
    }
    Timer* timer(const char* name) const;
    QAction* menuItem(const char* name) const;
    QMenu* menu(const char* name) const;

    // For a window's constructor, which keeps what it gets as typed members: a name missing from
    // the window's table, or of another type, stops the program at start-up with that name, in
    // every build, instead of leaving a null pointer for a handler to find later.
    template <class T> T* require(const char* name) const
    {
        T* found = control<T>(name);
        if (!found)
            missing("control", name);
        return found;
    }
    QAction* requireMenuItem(const char* name) const;
    QMenu* requireMenu(const char* name) const;
    QMenuBar* menuBar() const { return m_menuBar; }
    QWidget* clientArea() const { return m_client; }
    // Controls that take keyboard focus, in tab order.
    QList<QWidget*> tabOrder() const { return m_tabOrder; }

    // Minimised by the program. The window manager must be told first that the window may be:
    // mutter refuses to minimise a window whose hints leave it out, and the table leaves it out.
    void minimise();

    // Leads assistive technology to a control the user needs now: the keyboard focus on it (a screen
    // reader says its name) and the reason announced once the window is in front.
    void alertAt(QWidget* control, const QString& reason);
    // Tells a screen reader what happened, as a notification in the window that comes into view: the
    // one way every announcement goes, since Orca 43 says nothing when the focus lands again where it
    // stood, and rejects a changed description.
    void announce(const QString& text);
    static constexpr const char* AnnouncerProperty = "kestruneAnnouncer";
    // These controls take Space and Enter only once the window has been in front, and the focus led
    // by alertAt(), for about a second: a key typed for another program as the window comes forward
    // must not press them. The mouse and actions from outside are not held back.
    void holdKeysAtFirst(const QList<QWidget*>& controls);
    static constexpr int KeyHoldMs = 1000;

    // The load handler runs once the window exists; the unload handler when it is destroyed.
    virtual void Form_Load() {}
    virtual void Form_Unload() {}

signals:
    // The window's close box was used.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class FormBuilder;
    [[noreturn]] void missing(const char* kind, const char* name) const;
    void announcePending();
    bool pickOnMenuBar();
    static constexpr int AnnounceWaitMs = 1000;

    const WindowTable& m_table;
    QWidget* m_client = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QHash<QString, QObject*> m_controls;
    QHash<QString, QAction*> m_menuItems;
    QHash<QString, QMenu*> m_menus;
    QList<QWidget*> m_tabOrder;
    bool m_placed = false;
    QWidget* m_announcer = nullptr;
    QString m_pendingAnnouncement; // said by alertAt() once the window is in front
    QDateTime m_keysFrom;          // the window came in front, or the focus was led: keys count from here
};
