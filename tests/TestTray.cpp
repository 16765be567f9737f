#include "app/Form1.h"
#include "app/Forms.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"
#include "mock/DesktopDoubles.h"
#include "platform/QtNotifyIconService.h"
#include "platform/WindowProcs.h"
#include "tray/TrayIcon.h"
#include "tray/TrayWindowProc.h"

#include <QApplication>
#include <QLocale>
#include <QMenu>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
struct Received {
    qint32 hWnd;
    quint32 uMsg;
    qint32 wParam;
    qint32 lParam;
};
QList<Received> received;

// What the tray procedure chains to here: keeps its arguments, answers what no tray path returns.
qint32 recordingProc(qint32 hWnd, quint32 uMsg, qint32 wParam, qint32 lParam)
{
    received.append({hWnd, uMsg, wParam, lParam});
    return 0x7e50 + qint32(uMsg);
}

qint32 otherIcon()
{
    static const qint32 handle =
        Picture::fromIcon(QApplication::style()->standardIcon(QStyle::SP_DialogYesButton)).handle;
    return handle;
}
} // namespace

// The notification-area icon, its record, and the window procedure that takes its mouse messages.
class TestTray : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startupAndShutdownRecords();
    void removeTwiceAndAfterTheWindowIsGone();
    void tipField_data();
    void tipField();
    void onlyIconPicturesChangeTheIcon_data();
    void onlyIconPicturesChangeTheIcon();

    void leftReleaseShowsOnlyTheMainWindow();
    void rightReleaseOpensTheMenu();
    void exitFromTheMenuShutsDownInsideIt();
    void otherMessagesReachThePreviousProcedure_data();
    void otherMessagesReachThePreviousProcedure();

    void desktopServiceFollowsTheRecord();
    void activationsBecomeCallbackMessages_data();
    void activationsBecomeCallbackMessages();

private:
    Form1& chainedMainWindow();
    qint32 sendTray(qint32 mouseMessage)
    {
        return WindowProcs::sendMessage(m_hWnd, TrayCallbackMessage, 0, mouseMessage);
    }

    DesktopDoubles m_desk;
    RecordingNotifyIcon& m_tray = m_desk.tray;
    qint32 m_hWnd = 0;
    int m_mainUnloaded = 0;
};

void TestTray::initTestCase()
{
    QVERIFY(m_desk.dir.isValid());
    Forms::setOnMainUnloaded([this] { ++m_mainUnloaded; });
}

void TestTray::init()
{
    QLocale::setDefault(QLocale::c());
    m_desk.reset();
    received.clear();
    m_mainUnloaded = 0;
}

void TestTray::cleanup()
{
    m_desk.closeAllWindows();
}

// The main window with the recording procedure under the tray's, as if another hook came first.
Form1& TestTray::chainedMainWindow()
{
    Form1& form = Forms::form1();
    m_hWnd = WindowProcs::handleOf(&form);
    // Re-added with the left-click action the window gave at start-up, so that is what is tested.
    const std::function<void()> showWindow = TrayShowWindow;
    RemoveFromTray();
    WindowProcs::setWindowLong(m_hWnd, WindowProcs::GWL_WNDPROC, WindowProcs::addressOf(&recordingProc));
    AddToTray(&form, form.mnutray(), showWindow);
    m_tray.calls.clear();
    return form;
}

void TestTray::startupAndShutdownRecords()
{
    Form1& form = Forms::form1();
    const qint32 hWnd = WindowProcs::handleOf(&form);
    const qint32 icon = Picture::fromIcon(form.windowIcon()).handle;
    QVERIFY(hWnd != 0 && !Picture::iconFor(icon).isNull());
    QCOMPARE(m_tray.calls.size(), 3);

    const RecordingNotifyIcon::Call& add = m_tray.calls[0];
    QCOMPARE(add.message, NotifyIconService::NIM_ADD);
    QCOMPARE(add.data.cbSize, 88u);
    QCOMPARE(add.data.hWnd, hWnd);
    QCOMPARE(add.data.uID, 0u);
    QCOMPARE(add.data.uFlags, 3u);
    QCOMPARE(add.data.uCallbackMessage, 2025u);
    QCOMPARE(add.data.hIcon, icon);
    QCOMPARE(add.data.szTip, QString(64, QChar(0))); // no tip with the add
    // Already hooked when the icon came to exist.
    QCOMPARE(add.ownerProc, WindowProcs::addressOf(&TrayWindowProc));

    QCOMPARE(m_tray.calls[1].message, NotifyIconService::NIM_MODIFY);
    QCOMPARE(m_tray.calls[1].data.uFlags, 2u);
    QCOMPARE(m_tray.calls[1].data.hIcon, icon);
    QCOMPARE(m_tray.calls[2].message, NotifyIconService::NIM_MODIFY);
    QCOMPARE(m_tray.calls[2].data.uFlags, 4u);
    QCOMPARE(m_tray.calls[2].data.szTip, QStringLiteral("Right Click For Options") + QChar(0) + QString(40, ' '));
    QCOMPARE(m_tray.calls[2].data.shownTip(), QStringLiteral("Right Click For Options"));
    QVERIFY(TrayForm == &form && TrayMenu == form.mnutray());
    QCOMPARE(PrevWndProc, WindowProcs::defaultProcAddress());

    m_tray.calls.clear();
    Forms::unloadForm1();
    QCOMPARE(m_tray.calls.size(), 1);
    QCOMPARE(m_tray.calls[0].message, NotifyIconService::NIM_DELETE);
    QCOMPARE(m_tray.calls[0].data.uFlags, 0u);
    QCOMPARE(m_tray.calls[0].data.hWnd, hWnd);
    QCOMPARE(m_tray.calls[0].data.shownTip(), QStringLiteral("Right Click For Options"));
    QVERIFY(m_tray.icons.isEmpty());
    // Not destroyed yet, and back on its first procedure.
    QCOMPARE(WindowProcs::getWindowLong(hWnd, WindowProcs::GWL_WNDPROC), WindowProcs::defaultProcAddress());
}

void TestTray::removeTwiceAndAfterTheWindowIsGone()
{
    chainedMainWindow();
    const qint32 previous = WindowProcs::addressOf(&recordingProc);
    RemoveFromTray();
    RemoveFromTray();
    QCOMPARE(m_tray.calls.size(), 2);
    QCOMPARE(m_tray.calls[1].message, NotifyIconService::NIM_DELETE);
    QCOMPARE(WindowProcs::getWindowLong(m_hWnd, WindowProcs::GWL_WNDPROC), previous);
    QCOMPARE(PrevWndProc, previous);

    Forms::unloadForm1();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(TrayForm.isNull() && TrayMenu.isNull());
    m_tray.calls.clear();
    RemoveFromTray();
    QCOMPARE(m_tray.calls.size(), 1); // the delete is still sent
    QCOMPARE(WindowProcs::windowFor(m_hWnd), nullptr);
}

void TestTray::tipField_data()
{
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    const QString a63(63, 'a'), b64(64, 'b'), c64(64, 'c');
    QTest::addRow("empty") << QString() << QChar(0) + QString(63, ' ') << QString();
    QTest::addRow("63, shown whole") << a63 << a63 + QChar(0) << a63;
    QTest::addRow("64, NUL cut off") << b64 << b64 << b64;
    QTest::addRow("65, cut to 64") << c64 + '!' << c64 << c64;
    const QString inner = QStringLiteral("ab") + QChar(0) + QStringLiteral("cd");
    QTest::addRow("inner NUL") << inner << inner + QChar(0) + QString(58, ' ') << QStringLiteral("ab");
}

void TestTray::tipField()
{
    QFETCH(QString, tip);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    Forms::form1();
    const qint32 icon = TrayIconData.hIcon;
    m_tray.calls.clear();
    SetTrayTip(tip);
    QCOMPARE(m_tray.calls.size(), 1);
    QCOMPARE(m_tray.calls[0].message, NotifyIconService::NIM_MODIFY);
    QCOMPARE(m_tray.calls[0].data.uFlags, 4u);
    QCOMPARE(m_tray.calls[0].data.szTip, field);
    QCOMPARE(m_tray.calls[0].data.shownTip(), shown);
    QCOMPARE(m_tray.calls[0].data.hIcon, icon);
}

void TestTray::onlyIconPicturesChangeTheIcon_data()
{
    QTest::addColumn<int>("type");
    QTest::addRow("none") << Picture::None;
    QTest::addRow("bitmap") << Picture::Bitmap;
    QTest::addRow("metafile") << 2;
    QTest::addRow("icon") << Picture::Icon;
}

void TestTray::onlyIconPicturesChangeTheIcon()
{
    QFETCH(int, type);
    Forms::form1();
    SetTrayTip(QStringLiteral("kept"));
    const NotifyIconData before = TrayIconData;
    m_tray.calls.clear();
    QVERIFY(otherIcon() != before.hIcon);
    SetTrayIcon(Picture{type, otherIcon()});
    if (type != Picture::Icon) {
        QVERIFY(m_tray.calls.isEmpty());
        QCOMPARE(TrayIconData.hIcon, before.hIcon);
        QCOMPARE(TrayIconData.uFlags, before.uFlags);
        return;
    }
    QCOMPARE(m_tray.calls.size(), 1);
    QCOMPARE(m_tray.calls[0].data.uFlags, 2u);
    QCOMPARE(m_tray.calls[0].data.hIcon, otherIcon());
    QCOMPARE(m_tray.calls[0].data.shownTip(), QStringLiteral("kept"));
}

void TestTray::leftReleaseShowsOnlyTheMainWindow()
{
    Form1& form = chainedMainWindow();
    form.Command5_Click();
    QVERIFY(Forms::hasForm2() && Forms::hasForm3());
    // Offscreen has no notification area, so "Tray" minimised the window rather than hiding it.
    QVERIFY(form.isMinimized());
    QCOMPARE(sendTray(WindowProcs::WM_LBUTTONUP), 0);
    QVERIFY(form.isVisible() && !form.isMinimized());
    QVERIFY(!Forms::form2().isVisible() && !Forms::form3().isVisible());
    QCOMPARE(sendTray(WindowProcs::WM_LBUTTONUP), 0);
    QVERIFY(form.isVisible());
    QVERIFY(received.isEmpty());
}

void TestTray::rightReleaseOpensTheMenu()
{
    Form1& form = chainedMainWindow();
    QMenu* menu = form.mnutray();
    QWidget* seenOpen = nullptr;
    QTimer::singleShot(50, menu, [&] {
        seenOpen = QApplication::activePopupWidget();
        menu->close();
    });
    QTimer::singleShot(2000, menu, [menu] { menu->close(); }); // a failure must not hang
    QCOMPARE(sendTray(WindowProcs::WM_RBUTTONUP), 0);
    QCOMPARE(seenOpen, menu);
    QVERIFY(!form.isVisible());
    QVERIFY(received.isEmpty());
}

void TestTray::exitFromTheMenuShutsDownInsideIt()
{
    Form1& form = chainedMainWindow();
    QMenu* menu = form.mnutray();
    bool endedWhileOpen = false;
    QTimer::singleShot(50, menu, [&] {
        QTest::keyClick(menu, Qt::Key_Up); // from nothing to the last item, "Exit"
        QTest::keyClick(menu, Qt::Key_Return);
        endedWhileOpen = m_mainUnloaded == 1;
    });
    QTimer::singleShot(2000, menu, [menu] { menu->close(); });
    QCOMPARE(sendTray(WindowProcs::WM_RBUTTONUP), 0);
    QVERIFY(endedWhileOpen);
    QVERIFY(QFile::exists(m_desk.settingsPath()));
    QCOMPARE(m_tray.calls.size(), 1);
    QCOMPARE(m_tray.calls[0].message, NotifyIconService::NIM_DELETE);

    // Late tray messages find no window and no menu: nothing is created, nothing breaks.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(TrayMenu.isNull());
    QCOMPARE(TrayWindowProc(m_hWnd, TrayCallbackMessage, 0, WindowProcs::WM_RBUTTONUP), 0);
    QCOMPARE(TrayWindowProc(m_hWnd, TrayCallbackMessage, 0, WindowProcs::WM_LBUTTONUP), 0);
    QVERIFY(!Forms::hasForm1());
    QVERIFY(received.isEmpty());
}

void TestTray::otherMessagesReachThePreviousProcedure_data()
{
    QTest::addColumn<quint32>("uMsg");
    QTest::addColumn<qint32>("wParam");
    QTest::addColumn<qint32>("lParam");
    QTest::addRow("pointer over the icon") << 2025u << 0 << 512;
    QTest::addRow("left press") << 2025u << 0 << 513;
    QTest::addRow("double click") << 2025u << 0 << 515;
    QTest::addRow("right press") << 2025u << 0 << 516;
    QTest::addRow("left release in the high word") << 2025u << 0 << (514 | 0x10000);
    QTest::addRow("negative") << 2025u << 7 << -1;
    QTest::addRow("another message with 514") << 15u << 3 << 514;
    QTest::addRow("another message with 517") << 2024u << -5 << 517;
}

void TestTray::otherMessagesReachThePreviousProcedure()
{
    QFETCH(quint32, uMsg);
    QFETCH(qint32, wParam);
    QFETCH(qint32, lParam);
    Form1& form = chainedMainWindow();
    QCOMPARE(WindowProcs::sendMessage(m_hWnd, uMsg, wParam, lParam), 0x7e50 + qint32(uMsg));
    QCOMPARE(received.size(), 1);
    QCOMPARE(received[0].hWnd, m_hWnd);
    QCOMPARE(received[0].uMsg, uMsg);
    QCOMPARE(received[0].wParam, wParam);
    QCOMPARE(received[0].lParam, lParam);
    QVERIFY(!form.isVisible() && !QApplication::activePopupWidget());
}

void TestTray::desktopServiceFollowsTheRecord()
{
    QtNotifyIconService service;
    QWidget owner;
    NotifyIconData record;
    record.hWnd = WindowProcs::handleOf(&owner);
    record.hIcon = otherIcon();
    record.uFlags = NotifyIconData::NIF_MESSAGE | NotifyIconData::NIF_ICON;
    record.szTip = QStringLiteral("not sent");
    QVERIFY(service.notify(NotifyIconService::NIM_ADD, record));
    QVERIFY(!service.notify(NotifyIconService::NIM_ADD, record));
    auto* icon = service.findChild<QSystemTrayIcon*>();
    QVERIFY(icon && !icon->contextMenu() && icon->toolTip().isEmpty());
    QTRY_VERIFY(icon->isVisible());
    QCOMPARE(icon->icon().cacheKey(), Picture::iconFor(record.hIcon).cacheKey());

    record.szTip = QStringLiteral("Tip") + QChar(0) + QString(60, ' ');
    record.uFlags = NotifyIconData::NIF_TIP;
    QVERIFY(service.notify(NotifyIconService::NIM_MODIFY, record));
    QCOMPARE(icon->toolTip(), QStringLiteral("Tip"));

    NotifyIconData second = record;
    second.uID = 1;
    QVERIFY(!service.notify(NotifyIconService::NIM_MODIFY, second));
    QVERIFY(!service.notify(NotifyIconService::NIM_DELETE, second));
    QVERIFY(service.notify(NotifyIconService::NIM_DELETE, record));
    QVERIFY(!service.findChild<QSystemTrayIcon*>());
    QVERIFY(!service.notify(NotifyIconService::NIM_DELETE, record));
}

void TestTray::activationsBecomeCallbackMessages_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<qint32>("mouseMessage");
    QTest::addRow("click") << QSystemTrayIcon::Trigger << 514;
    QTest::addRow("context") << QSystemTrayIcon::Context << 517;
    QTest::addRow("double click") << QSystemTrayIcon::DoubleClick << 515;
    QTest::addRow("middle click") << QSystemTrayIcon::MiddleClick << 520;
}

void TestTray::activationsBecomeCallbackMessages()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(qint32, mouseMessage);
    QtNotifyIconService service;
    QWidget owner;
    NotifyIconData record;
    record.hWnd = WindowProcs::handleOf(&owner);
    record.uID = 3;
    record.uCallbackMessage = 2025;
    record.hIcon = otherIcon();
    record.uFlags = NotifyIconData::NIF_MESSAGE | NotifyIconData::NIF_ICON;
    WindowProcs::setWindowLong(record.hWnd, WindowProcs::GWL_WNDPROC, WindowProcs::addressOf(&recordingProc));
    QVERIFY(service.notify(NotifyIconService::NIM_ADD, record));
    auto* icon = service.findChild<QSystemTrayIcon*>();

    emit icon->activated(reason);
    QVERIFY(received.isEmpty()); // posted, never inside the icon's own event
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received[0].hWnd, record.hWnd);
    QCOMPARE(received[0].uMsg, 2025u);
    QCOMPARE(received[0].wParam, 3);
    QCOMPARE(received[0].lParam, mouseMessage);

    emit icon->activated(reason); // still queued when the icon goes: delivered nowhere
    QVERIFY(service.notify(NotifyIconService::NIM_DELETE, record));
    QCoreApplication::processEvents();
    QCOMPARE(received.size(), 1);
}

QTEST_MAIN(TestTray)
#include "TestTray.moc"
