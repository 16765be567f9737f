#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "alarm/AlarmState.h"
#include "alarm/SoundFolder.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "app/NotSetNotice.h"
#include "app/RingNotification.h"
#include "core/PathTrust.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"
#include "mock/DesktopDoubles.h"
#include "mock/RecordedSkip.h"
#include "mock/RecordingNotifier.h"
#include "platform/AutostartEntry.h"
#include "platform/DesktopNotifier.h"
#include "platform/ScreenWake.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

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
    void commandsRefuseAsTheirButtonsWould();
    void notifierKeepsToItsOwnNotification();
    void notifierWithoutServerChangesNothing();
    void ringNotificationFollowsTheAlarm();
    void silentRingIsMadeHeardByTheDesktop();
    void notificationHandsItsTokenToTheWindow();
    void autostartEntryStartsThisProgramInTheTray();
    void aboutTextsWhole();
    void mainWindowMayMinimiseWithoutTray();
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
    ScreenWake screen;
    RingNotification ring(main.commands(), main, notifier, screen);
    // Disarmed: OFF and Sleep are disabled, and the actions do nothing.
    ring.actionInvoked(QStringLiteral("sleep"), QString());
    ring.actionInvoked(QStringLiteral("off"), QString());
    QCOMPARE(main.Text5()->text(), QStringLiteral("Not Set"));
    QVERIFY(!main.Timer6()->Enabled());
    main.engine().SoundPath = QStringLiteral("/sounds/wake.mp3");
    main.Text2()->setText(QStringLiteral("07:30:00"));
    main.Command1()->click();
    main.Command3()->setEnabled(true);
    ring.actionInvoked(QStringLiteral("unknown"), QString());
    QVERIFY(!main.Timer6()->Enabled());
    ring.actionInvoked(QStringLiteral("sleep"), QString());
    QVERIFY(main.Timer6()->Enabled());
    QCOMPARE(main.Text5()->text(), QStringLiteral("Alarm Set"));
    ring.actionInvoked(QStringLiteral("off"), QString());
    QCOMPARE(main.Text5()->text(), QStringLiteral("Not Set"));
    QVERIFY(!main.Timer6()->Enabled());
    main.hide();
    ring.actionInvoked(QStringLiteral("default"), QString());
    QVERIFY(main.isVisible());
}

void TestDesktops::commandsRefuseAsTheirButtonsWould()
{
    Form1& main = Forms::form1();
    AlarmCommands& commands = main.commands();
    DesktopNotifier notifier;
    NotSetNotice notice(commands, &main, notifier);
    QCOMPARE(commands.off(), QStringLiteral("The alarm is not set"));
    QCOMPARE(commands.sleep(), QStringLiteral("The alarm is not ringing"));
    // The not-set notice's Set is ON: what it refuses is said in a box, with the window.
    main.hide();
    notice.actionInvoked(QStringLiteral("set"), QString());
    QCOMPARE(m_desk.boxes.size(), 1);
    QCOMPARE(m_desk.boxes[0].caption, QStringLiteral("Kestrune"));
    QCOMPARE(m_desk.boxes[0].text, QStringLiteral("Please Choose A Sound For The Alarm"));
    QVERIFY(main.isVisible());
    main.engine().SoundPath = QStringLiteral("/sounds/wake.mp3");
    const QString before = main.Text2()->text();
    QCOMPARE(commands.arm(QStringLiteral("7:30")), QStringLiteral("Please Enter The Alarm Time As HH:MM:SS"));
    // A refused time from a script leaves the box as it was.
    QCOMPARE(main.Text2()->text(), before);
    QVERIFY(!commands.tell(QString()));
    QCOMPARE(m_desk.boxes.size(), 1);
    main.Text2()->setText(QStringLiteral("07:30:00"));
    notice.actionInvoked(QStringLiteral("set"), QString());
    QCOMPARE(commands.status(), QStringLiteral("Alarm Set"));
    QCOMPARE(m_desk.boxes.size(), 1);
    QCOMPARE(commands.arm(), QStringLiteral("The alarm is already set"));
    // What --status prints, a line a value; whether the computer is woken depends on the machine.
    const QString status = AlarmState::of(main.engine(), main.wakePolicy()).statusLines();
    QCOMPARE(status.section(u"Wakes computer: "_qs, 0, 0),
             u"Alarm time: 07:30:00\nArmed: yes\nRinging: no\nSnoozed until: -\nNext ring: 2026-01-05 07:30:00\n"
             "Sound: /sounds/wake.mp3\n"_qs);
    QCOMPARE(commands.off(), QString());
    QCOMPARE(commands.status(), QStringLiteral("Not Set"));
    // A time from a script that arms stays in the box, as typed would.
    QCOMPARE(commands.arm(QStringLiteral("06:15:00")), QString());
    QCOMPARE(main.Text2()->text(), QStringLiteral("06:15:00"));
}

namespace {
// The desktop's notification server on a second connection of this process, so that the notifier's
// calls and the server's signals go through the session bus. Notify answers only on answer().
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    ~FakeNotificationServer() override { QDBusConnection::disconnectFromBus(m_bus.name()); }
    bool start()
    {
        return m_bus.isConnected() && m_bus.registerObject(Path, this, QDBusConnection::ExportAllSlots) &&
               m_bus.registerService(Interface);
    }
    void answer()
    {
        for (const auto& [call, id] : std::exchange(held, {}))
            m_bus.send(call.createReply(id));
    }
    void send(const char* name, uint id, const QVariant& value)
    {
        m_bus.send(QDBusMessage::createSignal(Path, Interface, QString::fromLatin1(name)) << id << value);
    }
    // Everything the notifier's connection sent before this has arrived.
    static void sync()
    {
        const QDBusPendingCall ping = QDBusConnection::sessionBus().asyncCall(
            QDBusMessage::createMethodCall(Interface, Path, Interface, u"Ping"_qs));
        QTRY_VERIFY(ping.isFinished());
    }

    QList<std::pair<QDBusMessage, uint>> held;
    QList<uint> closed;

public slots:
    uint Notify(const QString&, uint replacesId, const QString&, const QString&, const QString&, const QStringList&,
                const QVariantMap&, int)
    {
        setDelayedReply(true);
        held.append({message(), replacesId != 0 ? replacesId : ++m_last});
        return 0;
    }
    void CloseNotification(uint id) { closed << id; }
    void Ping() {}

private:
    static inline const QString Path = u"/org/freedesktop/Notifications"_qs;
    static inline const QString Interface = u"org.freedesktop.Notifications"_qs;
    QDBusConnection m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"kestrune-test-server"_qs);
    uint m_last = 0;
};
} // namespace

void TestDesktops::notifierKeepsToItsOwnNotification()
{
    FakeNotificationServer server;
    if (!server.start())
        KESTRUNE_SKIP("needs a session bus (scripts/services.sh starts one) with no notification server on it");
    DesktopNotifier notifier;
    QSignalSpy answered(&notifier, &DesktopNotifier::answered);
    QSignalSpy actions(&notifier, &DesktopNotifier::actionInvoked);
    const auto answerAll = [&](qsizetype calls, qsizetype answers) {
        QTRY_COMPARE(server.held.size(), calls);
        server.answer();
        QTRY_COMPARE(answered.size(), answers);
        FakeNotificationServer::sync();
    };
    // Withdrawn before the server told its number: closed once it does.
    notifier.show({});
    notifier.withdraw();
    answerAll(1, 1);
    QCOMPARE(server.closed, QList<uint>{1});
    QVERIFY(!notifier.isShown());
    // Shown twice before the first answer: the first one goes.
    notifier.show({});
    notifier.show({});
    answerAll(2, 3);
    QCOMPARE(server.closed, (QList<uint>{1, 2}));
    // Twice more, each replacing the one on screen: it stays.
    notifier.show({});
    notifier.show({});
    answerAll(2, 5);
    QCOMPARE(server.closed, (QList<uint>{1, 2}));
    QVERIFY(notifier.isShown());
    // Only its own notification's token and action count.
    server.send("ActivationToken", 3, u"ours"_qs);
    server.send("ActivationToken", 2, u"theirs"_qs);
    server.send("ActionInvoked", 2, u"off"_qs);
    server.send("ActionInvoked", 3, u"sleep"_qs);
    QTRY_COMPARE(actions.size(), 1);
    QCOMPARE(actions[0], (QVariantList{u"sleep"_qs, u"ours"_qs}));
    // Posted anew: the one on screen goes, and the new one is no replacement of it.
    DesktopNotifier::Content ring;
    ring.anew = true;
    notifier.show(ring);
    answerAll(1, 6);
    QCOMPARE(server.closed, (QList<uint>{1, 2, 3}));
    server.send("ActionInvoked", 4, u"off"_qs);
    QTRY_COMPARE(actions.size(), 2);
    // Closed by the server before it reports the action that closed it: the action still counts.
    server.send("NotificationClosed", 4, 2u);
    server.send("ActionInvoked", 4, u"sleep"_qs);
    QTRY_COMPARE(actions.size(), 3);
    QCOMPARE(actions[2], (QVariantList{u"sleep"_qs, QString()}));
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

void TestDesktops::ringNotificationFollowsTheAlarm()
{
    Form1& main = Forms::form1();
    RecordingNotifier notifier;
    ScreenWake screen;
    RingNotification ring(main.commands(), main, notifier, screen);
    // The display is woken again while it rings, often enough for GNOME's lock screen, which blanks
    // about 30 s after a notification lit it; never after Sleep or OFF.
    QVERIFY(RingNotification::KeepLitMilliseconds <= 20000);
    const auto keptLit = [&ring] {
        const QList<QTimer*> timers = ring.findChildren<QTimer*>();
        return std::any_of(timers.begin(), timers.end(), [](QTimer* t) {
            return t->isActive() && t->interval() == RingNotification::KeepLitMilliseconds;
        });
    };
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QFile sound(m_desk.dir.filePath(QStringLiteral("wake.mp3")));
    QVERIFY(sound.open(QIODevice::WriteOnly) && sound.write("ID3") == 3);
    sound.close();
    main.engine().SoundPath = sound.fileName();
    main.Text2()->setText(QStringLiteral("07:30:00"));
    main.engine().Command1_Click();
    QWidget* announcer = main.findChild<QWidget*>(QStringLiteral("announcer"));
    QVERIFY(announcer);
    QCOMPARE(announcer->accessibleName(), QStringLiteral("Alarm Set"));
    m_desk.clock.set(QTime(7, 30, 0));
    main.engine().Timer3_Timer();
    main.engine().Timer1_Timer();

    QCOMPARE(notifier.shown.size(), 1);
    const DesktopNotifier::Content rung = notifier.shown.last();
    QVERIFY(rung.anew);
    QCOMPARE(rung.body, QStringLiteral("Alarm 07:30:00"));
    QCOMPARE(rung.hints.value(QStringLiteral("urgency")).value<uchar>(), uchar(2));
    QCOMPARE(rung.hints.value(QStringLiteral("resident")).toBool(), true);
    QCOMPARE(rung.actions.mid(2), QStringList({"sleep", "Sleep", "off", "OFF"}));
    // A screen reader hears Sleep and the alarm, announced; Space snoozes.
    QVERIFY(main.Command3()->hasFocus());
    QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
    QCOMPARE(announcer->accessibleName(), QStringLiteral("Alarm 07:30:00"));
    QVERIFY(keptLit());

    // A Space in the ring's first second was meant for another program; the mouse acts at once.
    m_desk.clock.set(QDateTime(m_desk.clock.now().date(), QTime(7, 30, 0, 900)));
    QTest::keyClick(main.Command3(), Qt::Key_Space);
    QCOMPARE(notifier.shown.size(), 1);
    m_desk.clock.set(QTime(7, 30, 10));
    QTest::keyClick(main.Command3(), Qt::Key_Space);
    QCOMPARE(notifier.withdrawn, 0);
    QCOMPARE(notifier.shown.size(), 2);
    QCOMPARE(notifier.shown.last().body, QStringLiteral("Snoozed until 07:31:10"));
    QVERIFY(!notifier.shown.last().anew);
    QCOMPARE(notifier.shown.last().actions.mid(2), QStringList({"off", "OFF"}));
    QCOMPARE(notifier.shown.last().hints.value(QStringLiteral("resident")).toBool(), true);
    QCOMPARE(announcer->accessibleName(), QStringLiteral("Snoozed until 07:31:10"));
    QVERIFY(!keptLit());
    // The re-ring is announced too, though the focus on Sleep has not moved.
    m_desk.clock.set(QTime(7, 31, 10));
    main.engine().Timer6_Timer();
    QCOMPARE(announcer->accessibleName(), QStringLiteral("Alarm 07:30:00"));
    QCOMPARE(notifier.shown.last().body, QStringLiteral("Alarm 07:30:00"));
    QVERIFY(keptLit());
    m_desk.clock.set(QTime(7, 31, 20));

    // OFF by keyboard: the focus goes to ON, and a screen reader hears that it is off.
    main.Command2()->setFocus();
    QTest::keyClick(main.Command2(), Qt::Key_Space);
    QCOMPARE(notifier.withdrawn, 1);
    QVERIFY(!keptLit());
    QCOMPARE(notifier.shown.size(), 3);
    QVERIFY(main.Command1()->hasFocus());
    QCOMPARE(announcer->accessibleName(), QStringLiteral("Not Set"));
}

void TestDesktops::silentRingIsMadeHeardByTheDesktop()
{
    Form1& main = Forms::form1();
    RecordingNotifier notifier;
    ScreenWake screen;
    RingNotification ring(main.commands(), main, notifier, screen);
    m_desk.player->outputProblem = QStringLiteral("no sound program can be used");
    main.engine().SoundPath = m_desk.dir.filePath(QStringLiteral("wake.mp3"));
    main.Text2()->setText(QStringLiteral("07:30:00"));
    main.engine().Command1_Click();
    m_desk.clock.set(QTime(7, 30, 0));
    main.engine().Timer3_Timer();
    main.engine().Timer1_Timer();
    // Neither the file nor the tone can sound: the program plays the desktop's alarm itself, one copy,
    // and asks the notification server for no sound of its own over it.
    QTRY_VERIFY(main.engine().ringSilent());
    const auto lastResort = [this] { return m_desk.player->events.filter(QStringLiteral("desktop-alarm")); };
    QCOMPARE(lastResort(), QStringList{QStringLiteral("desktop-alarm ") + MediaPlayer::builtInTonePhrasePath()});
    const DesktopNotifier::Content again = notifier.shown.last();
    QVERIFY(again.hints.value(QStringLiteral("suppress-sound")).toBool());
    QCOMPARE(again.body, QStringLiteral("Alarm 07:30:00\nNo sound output: no sound program can be used"));
    QCOMPARE(again.actions.mid(2), QStringList({"sleep", "Sleep", "off", "OFF"}));
    // A banner even for the program that has the focus, which GNOME Shell gives no resident notification.
    QVERIFY(again.anew && !again.hints.contains(QStringLiteral("resident")));
    // The window says so in a line of its own, and the status box keeps its text.
    const auto* line = main.findChild<QLabel*>(QStringLiteral("noSoundLine"));
    QVERIFY(line && line->isVisibleTo(&main));
    QCOMPARE(line->accessibleName(), QStringLiteral("No sound output: no sound program can be used. The desktop's "
                                                    "alarm sound and bell ring instead."));
    QCOMPARE(main.Text5()->text(), QStringLiteral("Alarm Set"));
    // Sleep: silent at the snooze's first tick, within a second.
    main.Command3()->click();
    m_desk.clock.set(QTime(7, 30, 1));
    main.engine().Timer6_Timer();
    const qsizetype sent = notifier.shown.size();
    QVERIFY(!main.engine().ringSilent());
    QCOMPARE(lastResort().size(), 2);
    QCOMPARE(lastResort().last(), QStringLiteral("desktop-alarm stop"));
    QVERIFY(!line->isVisibleTo(&main));
    QTest::qWait(RingNotification::SoundAgainMilliseconds + 200);
    QCOMPARE(notifier.shown.size(), sent);
}

void TestDesktops::notificationHandsItsTokenToTheWindow()
{
    Form1& main = Forms::form1();
    RecordingNotifier notifier;
    ScreenWake screen;
    RingNotification ring(main.commands(), main, notifier, screen);
    QByteArray atShow = "none";
    struct ShowWatch : QObject {
        QByteArray* seen;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Show)
                *seen = qgetenv("XDG_ACTIVATION_TOKEN");
            return false;
        }
    } watch;
    watch.seen = &atShow;
    main.installEventFilter(&watch);
    main.hide();
    ring.actionInvoked(QStringLiteral("default"), QStringLiteral("token-from-the-server"));
    QVERIFY(main.isVisible());
    // Only a Wayland window takes it; elsewhere the environment, which other threads read, stays as it is.
    QCOMPARE(atShow, QByteArray());
    QVERIFY(!qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));
    main.removeEventFilter(&watch);
}

void TestDesktops::aboutTextsWhole()
{
    Form2& about = Forms::form2();
    about.show();
    for (TextBox* box : about.findChildren<TextBox*>()) {
        const int room = box->width() - 2 * about.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
        QVERIFY2(QFontMetricsF(box->font()).horizontalAdvance(box->text()) <= room, qPrintable(box->text()));
        QVERIFY2(box->font().pointSizeF() >= Form2::MinimumPoints, qPrintable(box->text()));
    }
    QCOMPARE(QFontInfo(about.Text4()->font()).family(), QStringLiteral("Liberation Sans"));
}

void TestDesktops::mainWindowMayMinimiseWithoutTray()
{
    // Offscreen there is no notification area: "Tray" minimises, which the window manager must allow.
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    Form1& main = Forms::form1();
    main.show();
    main.Command5()->click();
    QVERIFY(main.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(main.windowHandle()->flags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(main.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(main.isMinimized());
}

void TestDesktops::soundDialogFolder()
{
    // The settings beside the program (the doubles put both in one folder): the program's folder.
    QVERIFY(SoundFolder::settingsBesideProgram());
    QCOMPARE(SoundFolder::initial(), m_desk.dir.path());
}

QTEST_MAIN(TestDesktops)
#include "TestDesktops.moc"

void TestDesktops::autostartEntryStartsThisProgramInTheTray()
{
    QTemporaryDir config;
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&before] { qputenv("XDG_CONFIG_HOME", before); });
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    QCOMPARE(AutostartEntry::path(),
             QDir::homePath() + QStringLiteral("/.config/autostart/org.kestrune.Kestrune.desktop"));
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // Made where a default ACL would let another user write: the folder and the entry are the user's alone.
    QCOMPARE(QProcess::execute(u"setfacl"_qs, {u"-d"_qs, u"-m"_qs, u"u:nobody:rwx"_qs, config.path()}), 0);
    const QString path = config.filePath(QStringLiteral("autostart/org.kestrune.Kestrune.desktop"));
    QCOMPARE(AutostartEntry::path(), path);
    QVERIFY(!AutostartEntry::exists());
    // Whatever the program's folder is called, the entry starts exactly this program with --tray for
    // GIO and for systemd's autostart generator alike, or is not written at all.
    const auto readAll = [](const QString& name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTemporaryDir programs;
    const QString started = programs.filePath(QStringLiteral("started"));
    for (const QByteArray& name :
         {QByteArray("50%"), QByteArray("back\\slash"), QByteArray("$HOME"), QByteArray("\"q\""), QByteArray("`q`"),
          QByteArray("\xff"), QByteArray("new\nline"), QByteArray("an \xc3\xa4 b;'&(x)")}) {
        const QString program = programs.filePath(QString::fromUtf8(name) + QStringLiteral("/kestrune"));
        const QString failure = AutostartEntry::write(QFile::encodeName(programs.path()) + '/' + name + "/kestrune");
        QCOMPARE(failure.isEmpty(), name.startsWith("an"));
        QCOMPARE(AutostartEntry::exists(), name.startsWith("an"));
        if (!failure.isEmpty())
            continue;
        QVERIFY2(PathTrust::whyUntrusted(path).isEmpty(), qPrintable(PathTrust::whyUntrusted(path)));
        QVERIFY(QDir().mkpath(QFileInfo(program).path()));
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s|%s' \"$0\" \"$*\" > '" + QFile::encodeName(started) + "'\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
        QCOMPARE(QProcess::execute(QStringLiteral("gio"), {QStringLiteral("launch"), path}), 0);
        QTRY_COMPARE(readAll(started), (program + QStringLiteral("|--tray")).toUtf8());
        QTemporaryDir units;
        QProcess generator;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), units.path());
        generator.setProcessEnvironment(environment);
        generator.start(QStringLiteral("/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator"),
                        {units.path(), units.path(), units.path()});
        QVERIFY(generator.waitForFinished());
        const QByteArray unit = readAll(units.filePath(QStringLiteral("app-org.kestrune.Kestrune@autostart.service")));
        QVERIFY2(unit.contains("\nExecStart=:\"" + program.toUtf8() + "\" --tray\n"), unit.constData());
    }
    QCOMPARE(AutostartEntry::remove(), QString());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(AutostartEntry::remove(), QString());
}
