#include "alarm/AlarmEngine.h"
#include "alarm/SoundFolder.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "app/RingNotification.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"
#include "mock/DesktopDoubles.h"
#include "platform/DesktopNotifier.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

// The keyboard and assistive technology on the Options and About windows, the ring notification's
// actions, and where the sound dialog opens.
class TestDesktops : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void snoozeBarMovesWithArrowAndPageKeys();
    void escapeHidesOptions();
    void escapeAndCloseBoxUnloadAbout();
    void aboutLinksByKeyboard();
    void windowsAndLinksAnnounced();
    void aboutBoxesShowTheirStart();
    void notificationActionsPressTheButtons();
    void notifierWithoutServerChangesNothing();
    void soundDialogFolder();

private:
    DesktopDoubles m_desk;
};

void TestDesktops::init()
{
    m_desk.reset();
}

void TestDesktops::cleanup()
{
    m_desk.reset();
}

void TestDesktops::snoozeBarMovesWithArrowAndPageKeys()
{
    Form3& options = Forms::form3();
    options.show();
    QScrollBar* bar = options.HScroll1();
    QCOMPARE(bar->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    bar->setFocus();
    QCOMPARE(bar->value(), 1);
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(bar->value(), 2);
    QTest::keyClick(bar, Qt::Key_PageDown);
    QCOMPARE(bar->value(), 3);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(bar->value(), 2);
    QTest::keyClick(bar, Qt::Key_PageUp);
    QCOMPARE(bar->value(), 1);
    QTest::keyClick(bar, Qt::Key_End);
    QCOMPARE(bar->value(), 30);
    QTest::keyClick(bar, Qt::Key_Home);
    QCOMPARE(bar->value(), 1);
    QTest::keyClick(bar, Qt::Key_Left); // never below 1
    QCOMPARE(bar->value(), 1);
    QCOMPARE(options.Text2()->text(), QStringLiteral("1"));
}

void TestDesktops::escapeHidesOptions()
{
    Form3& options = Forms::form3();
    options.show();
    options.HScroll1()->setValue(7);
    QTest::keyClick(options.HScroll1(), Qt::Key_Escape);
    QVERIFY(!options.isVisible());
    QVERIFY(Forms::hasForm3()); // hidden, not unloaded: it keeps its state
    QCOMPARE(Forms::form3().HScroll1()->value(), 7);
}

void TestDesktops::escapeAndCloseBoxUnloadAbout()
{
    QPointer<Form2> about = &Forms::form2();
    about->show();
    QTest::keyClick(about->Text3(), Qt::Key_Escape);
    QVERIFY(!Forms::hasForm2());
    QTRY_VERIFY(about.isNull());

    about = &Forms::form2();
    about->show();
    about->Text4()->setText(QStringLiteral("typed"));
    QVERIFY(about->close() == false); // the close box: the window goes, not a hide
    QVERIFY(!Forms::hasForm2());
    QTRY_VERIFY(about.isNull());
    QCOMPARE(Forms::form2().Text4()->text(), QStringLiteral("Designed and Programmed by:"));
}

void TestDesktops::aboutLinksByKeyboard()
{
    Form2& about = Forms::form2();
    about.show();
    QList<QWidget*> order = about.tabOrder();
    for (TextBox* link : {about.Text4(), about.Text3(), about.Text6()})
        QVERIFY2(order.contains(link) && (link->focusPolicy() & Qt::TabFocus), qPrintable(link->objectName()));
    QTest::keyClick(about.Text3(), Qt::Key_Return);
    QTest::keyClick(about.Text6(), Qt::Key_Space);
    QTest::keyClick(about.Text4(), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(about.control<TextBox>("Text2"), Qt::Key_Return); // the author line is no link
    QCOMPARE(m_desk.links.opened.size(), 2);
    QCOMPARE(m_desk.links.opened.value(0).toString(), Form2::WebAddress);
    QCOMPARE(m_desk.links.opened.value(1).toString(), QStringLiteral("mailto:") + Form2::MailAddress);
}

void TestDesktops::windowsAndLinksAnnounced()
{
    Form1& main = Forms::form1();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&main);
    QVERIFY(window);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Kestrune"));
    for (Form* dialog : std::initializer_list<Form*>{&Forms::form2(), &Forms::form3()}) {
        QAccessibleInterface* d = QAccessible::queryAccessibleInterface(dialog);
        QCOMPARE(d->role(), QAccessible::Dialog);
        QCOMPARE(d->text(QAccessible::Name), dialog->windowTitle());
    }
    Form2& about = Forms::form2();
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(about.Text3());
    QCOMPARE(link->role(), QAccessible::Link);
    QCOMPARE(link->text(QAccessible::Name), QStringLiteral("Web site"));
    QVERIFY(link->textInterface());
    QCOMPARE(link->textInterface()->text(0, link->textInterface()->characterCount()), Form2::WebAddress);
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_desk.links.opened.size(), 1);
    QCOMPARE(QAccessible::queryAccessibleInterface(about.control<TextBox>("Text2"))->role(), QAccessible::EditableText);
}

void TestDesktops::aboutBoxesShowTheirStart()
{
    Form2& about = Forms::form2();
    about.show();
    for (TextBox* box : {about.Text4(), about.Text6(), about.Text3(), about.Text5()})
        QCOMPARE(box->cursorPosition(), 0);
}

void TestDesktops::notificationActionsPressTheButtons()
{
    Form1& main = Forms::form1();
    DesktopNotifier notifier;
    RingNotification ring(main, notifier);
    // Disarmed: OFF and Sleep are disabled, and the actions press nothing.
    ring.actionInvoked(QStringLiteral("off"), QString());
    QCOMPARE(main.Text5()->text(), QStringLiteral("Not Set"));
    int offClicks = 0, sleepClicks = 0;
    connect(main.Command2(), &QPushButton::clicked, this, [&] { ++offClicks; });
    connect(main.Command3(), &QPushButton::clicked, this, [&] { ++sleepClicks; });
    main.Command2()->setEnabled(true);
    main.Command3()->setEnabled(true);
    ring.actionInvoked(QStringLiteral("sleep"), QString());
    QCOMPARE(sleepClicks, 1);
    QCOMPARE(offClicks, 0);
    ring.actionInvoked(QStringLiteral("off"), QString());
    QCOMPARE(offClicks, 1);
    main.hide();
    ring.actionInvoked(QStringLiteral("default"), QString());
    QVERIFY(main.isVisible());
    ring.actionInvoked(QStringLiteral("unknown"), QString());
    QCOMPARE(offClicks + sleepClicks, 2);
}

void TestDesktops::notifierWithoutServerChangesNothing()
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kestrune-bus");
    DesktopNotifier notifier;
    QElapsedTimer timer;
    timer.start();
    DesktopNotifier::Content content;
    content.summary = QStringLiteral("Kestrune");
    notifier.show(content);
    notifier.withdraw();
    notifier.withdraw();
    QVERIFY(timer.elapsed() < 1000);
    QTest::qWait(50);
    QVERIFY(!notifier.isShown());
}

void TestDesktops::soundDialogFolder()
{
    // The settings beside the program (the doubles put both in one folder): the program's folder.
    QVERIFY(SoundFolder::settingsBesideProgram());
    QCOMPARE(SoundFolder::initial(), m_desk.dir.path());
}

QTEST_MAIN(TestDesktops)
#include "TestDesktops.moc"
