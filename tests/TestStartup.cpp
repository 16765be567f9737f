#include "alarm/AlarmEngine.h"
#include "alarm/SnoozeMinutes.h"
#include "app/Application.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "controls/CommonDialog.h"
#include "dialogs/Form3.h"
#include "mock/DesktopDoubles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// Start-up restores what the last shutdown saved, in order, and never arms the alarm.
class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartUsesTheWindowsValues();
    void startRestoresEverySetting();
    void restoredSnoozeEqualToTheBarRunsNoChange();
    void restoredSnoozeIsClampedToTheBar_data();
    void restoredSnoozeIsClampedToTheBar();
    void malformedFieldsKeepTheirStartingValues();
    void shutdownSavesWhatTheWindowsHold();
    void typedMinutesAreSaved_data();
    void typedMinutesAreSaved();
    void failedSaveAtExitIsShownInABox_data();
    void failedSaveAtExitIsShownInABox();
    void failedSaveWhenEndedFromOutsideShowsNoBox();
    void changesAreSavedSoonOnlyWhenTheLineDiffers();
    void failedSaveSoonIsTriedAgainUntilItGoesThrough();
    void soundNameWithALineBreakIsRefused();
    void fileNotReadWholeIsToldOnceAtStart();
    void textsInAnotherEncodingKeepTheirBytes();
    void loginStartWithoutTrayShowsTheWindow_data();
    void loginStartWithoutTrayShowsTheWindow();

private:
    void writeSettings(const QByteArray& line);
    QByteArray savedSettings() const;
    void restart();

    DesktopDoubles m_desk;
};

void TestStartup::initTestCase()
{
    QVERIFY(m_desk.dir.isValid());
}

void TestStartup::init()
{
    m_desk.reset();
}

void TestStartup::cleanup()
{
    m_desk.closeAllWindows();
    // A case may have put a folder in the file's place.
    QDir(m_desk.settingsPath()).removeRecursively();
}

void TestStartup::writeSettings(const QByteArray& line)
{
    QFile file(m_desk.settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(line);
}

QByteArray TestStartup::savedSettings() const
{
    QFile file(m_desk.settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestStartup::restart()
{
    cleanup();
    Forms::form1();
}

void TestStartup::loginStartWithoutTrayShowsTheWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addRow("plain start") << QStringList{QStringLiteral("kestrune")};
    QTest::addRow("login start") << QStringList{QStringLiteral("kestrune"), QStringLiteral("--tray")};
}

void TestStartup::loginStartWithoutTrayShowsTheWindow()
{
    // Offscreen there is no notification area: a start at login must not leave nothing on screen.
    QFETCH(QStringList, arguments);
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    Application::showAtStart(arguments);
    QVERIFY(Forms::form1().isVisible());
}

void TestStartup::firstStartUsesTheWindowsValues()
{
    Form1& f = Forms::form1();
    QVERIFY(!Forms::hasForm3());
    QCOMPARE(SnoozeMinutes, qint16(1));
    QVERIFY(f.engine().SoundPath.isEmpty());
    QVERIFY(f.Text2()->text().isEmpty());
    QCOMPARE(f.Text5()->text(), QStringLiteral("Not Set"));
    Forms::unloadForm1();
    QCOMPARE(savedSettings(), QByteArray("\"\",\"\",1,-2147483640,12648447\r\n"));
}

void TestStartup::startRestoresEverySetting()
{
    writeSettings("\"/music/dawn.mp3\",\"06:45:00\",12,255,65280\r\n");
    Form1& f = Forms::form1();
    QCOMPARE(f.engine().SoundPath, QStringLiteral("/music/dawn.mp3"));
    QCOMPARE(f.Text2()->text(), QStringLiteral("06:45:00"));
    for (TextBox* box : {f.Text1(), f.Text2()}) {
        QCOMPARE(box->ForeColor(), 255);
        QCOMPARE(box->BackColor(), 65280);
    }
    // Restoring the minutes made the Options window, hidden.
    QVERIFY(Forms::hasForm3());
    QVERIFY(!Forms::form3().isVisible());
    QCOMPARE(Forms::form3().HScroll1()->value(), 12);
    QCOMPARE(SnoozeMinutes, qint16(12));
    // A restored alarm time is shown, never armed.
    QCOMPARE(f.Text5()->text(), QStringLiteral("Not Set"));
    QVERIFY(!f.Command2()->isEnabled());
    QVERIFY(f.Command1()->isEnabled());
    // The volume comes from the bar, not the file.
    QCOMPARE(f.MediaPlayer1()->Volume(), -3000);
}

void TestStartup::restoredSnoozeEqualToTheBarRunsNoChange()
{
    SnoozeMinutes = 7;
    writeSettings("\"\",\"\",1,-2147483640,12648447\r\n");
    Forms::form1();
    QCOMPARE(SnoozeMinutes, qint16(7));
}

void TestStartup::restoredSnoozeIsClampedToTheBar_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("bar");
    QTest::addRow("above") << QByteArray("9999") << 30;
    QTest::addRow("zero") << QByteArray("0") << 1;
    QTest::addRow("negative") << QByteArray("-5") << 1;
}

void TestStartup::restoredSnoozeIsClampedToTheBar()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, bar);
    writeSettings("\"\",\"\"," + stored + ",0,0\r\n");
    Forms::form1();
    QCOMPARE(Forms::form3().HScroll1()->value(), bar);
    QCOMPARE(int(SnoozeMinutes), bar);
}

void TestStartup::malformedFieldsKeepTheirStartingValues()
{
    writeSettings("\"/music/dawn.mp3\",\"07:00:00\",lots,red,\r\n");
    Form1& f = Forms::form1();
    QCOMPARE(f.engine().SoundPath, QStringLiteral("/music/dawn.mp3"));
    QCOMPARE(f.Text2()->text(), QStringLiteral("07:00:00"));
    QCOMPARE(f.Text1()->ForeColor(), qint32(-2147483640));
    QCOMPARE(f.Text2()->BackColor(), qint32(12648447));
    QCOMPARE(Forms::form3().HScroll1()->value(), 1);
    // And the next shutdown writes a whole, good line again.
    Forms::unloadForm1();
    QCOMPARE(savedSettings(), QByteArray("\"/music/dawn.mp3\",\"07:00:00\",1,-2147483640,12648447\r\n"));
}

void TestStartup::shutdownSavesWhatTheWindowsHold()
{
    Form1& f = Forms::form1();
    f.engine().SoundPath = QStringLiteral("/music/say \"hello\".mp3");
    f.Text2()->setText(QStringLiteral("05:30:00"));
    f.Text1()->setForeColor(qint32(0x80000005u));
    f.Text1()->setBackColor(255);
    Forms::form3().HScroll1()->setValue(25);
    Forms::unloadForm1();
    QCOMPARE(savedSettings(), QByteArray("\"/music/say \"\"hello\"\".mp3\",\"05:30:00\",25,-2147483643,255\r\n"));
    restart();
    QCOMPARE(Forms::form1().engine().SoundPath, QStringLiteral("/music/say \"hello\".mp3"));
    QCOMPARE(Forms::form1().Text2()->BackColor(), 255);
    QCOMPARE(quint32(Forms::form1().Text2()->ForeColor()), 0x80000005u);
    QCOMPARE(SnoozeMinutes, qint16(25));
}

void TestStartup::typedMinutesAreSaved_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("bar");
    QTest::addRow("12") << u"12"_qs << 12 << 12;
    QTest::addRow("30") << u"30"_qs << 30 << 30;
    QTest::addRow("blanks around 7") << u" 7 "_qs << 7 << 7;
    // Other values change the snooze length as before but leave the bar, and so the file, alone.
    QTest::addRow("7.5") << u"7.5"_qs << 8 << 1;
    QTest::addRow("31") << u"31"_qs << 31 << 1;
    QTest::addRow("0") << u"0"_qs << 0 << 1;
}

void TestStartup::typedMinutesAreSaved()
{
    QFETCH(QString, typed);
    QFETCH(int, minutes);
    QFETCH(int, bar);
    Forms::form1();
    Forms::form3().Text2()->setText(typed);
    QCOMPARE(SnoozeMinutes, qint16(minutes));
    QCOMPARE(Forms::form3().HScroll1()->value(), bar);
    // The box keeps what was typed: the bar does not rewrite it.
    QCOMPARE(Forms::form3().Text2()->text(), typed);
    Forms::unloadForm1();
    QCOMPARE(savedSettings(), "\"\",\"\"," + QByteArray::number(bar) + ",-2147483640,12648447\r\n");
    restart();
    QCOMPARE(Forms::form3().HScroll1()->value(), bar);
}

void TestStartup::failedSaveAtExitIsShownInABox_data()
{
    QTest::addColumn<QString>("how");
    QTest::addRow("Exit button") << u"Command6"_qs;
    QTest::addRow("tray menu Exit") << u"Exit"_qs;
    QTest::addRow("close box") << u"close"_qs;
}

void TestStartup::failedSaveAtExitIsShownInABox()
{
    QFETCH(QString, how);
    // A folder in the file's place can be neither read nor replaced, as root too.
    QVERIFY(QDir().mkdir(m_desk.settingsPath()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot read .*"_qs));
    Form1& f = Forms::form1();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*folder.*"_qs));
    if (how == u"Command6")
        f.Command6()->click();
    else if (how == u"Exit")
        f.Exit()->trigger();
    else
        f.close();
    QVERIFY(!Forms::hasForm1());
    QCOMPARE(m_desk.boxes.size(), 1);
    QCOMPARE(m_desk.boxes[0].caption, u"Kestrune"_qs);
    QVERIFY2(m_desk.boxes[0].text.contains(u"settings could not be saved"_qs), qPrintable(m_desk.boxes[0].text));
    QVERIFY2(m_desk.boxes[0].text.contains(u"it is a folder"_qs), qPrintable(m_desk.boxes[0].text));
    QVERIFY(m_desk.boxes[0].text.contains(m_desk.settingsPath()));
}

void TestStartup::failedSaveWhenEndedFromOutsideShowsNoBox()
{
    QVERIFY(QDir().mkdir(m_desk.settingsPath()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot read .*"_qs));
    Forms::form1().setEndedFromOutside();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*folder.*"_qs));
    Forms::unloadForm1();
    QVERIFY(m_desk.boxes.isEmpty());
}

void TestStartup::changesAreSavedSoonOnlyWhenTheLineDiffers()
{
    writeSettings("\"\",\"\",1,-2147483640,12648447\r\n");
    Form1& f = Forms::form1();
    // Each save is a new file renamed into place.
    const auto inode = [this] {
        struct stat status {};
        ::stat(QFile::encodeName(m_desk.settingsPath()).constData(), &status);
        return status.st_ino;
    };
    const auto unchangedFor = [&](int ms) {
        const auto before = inode();
        QTest::qWait(ms);
        return inode() == before;
    };
    // Loading, and a value changed back to what it was, write nothing.
    f.Text2()->setText(u"0"_qs);
    f.Text2()->setText(QString());
    QVERIFY(unchangedFor(1500));
    f.Text2()->setText(u"06:00:00"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(savedSettings(), QByteArray("\"\",\"06:00:00\",1,-2147483640,12648447\r\n"), 1500);
    // Back to the value loaded once the change was saved: the file holds the change, so it is saved.
    f.Text2()->setText(QString());
    QTRY_COMPARE_WITH_TIMEOUT(savedSettings(), QByteArray("\"\",\"\",1,-2147483640,12648447\r\n"), 1500);
    f.Text2()->setText(u"06:00:00"_qs);
    CommonDialog::answerNextOpen(u"/music/dawn.mp3"_qs);
    f.Command4()->click();
    emit Forms::form3().backColorChosen(255);
    Forms::form3().HScroll1()->setValue(9);
    QTRY_COMPARE_WITH_TIMEOUT(savedSettings(), QByteArray("\"/music/dawn.mp3\",\"06:00:00\",9,-2147483640,255\r\n"),
                              1500);
    QVERIFY(unchangedFor(1500));
}

void TestStartup::failedSaveSoonIsTriedAgainUntilItGoesThrough()
{
    Form1& f = Forms::form1();
    // A folder in the file's place stands for a full disk: the save fails, as root too.
    QVERIFY(QDir().mkdir(m_desk.settingsPath()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*folder.*"_qs));
    f.Text2()->setText(u"06:15:00"_qs);
    QTest::qWait(1500);
    // Tried again and again, it says so once.
    QTest::failOnWarning(QRegularExpression(u"^cannot save"_qs));
    QTest::qWait(3000);
    QVERIFY(QDir().rmdir(m_desk.settingsPath()));
    QTRY_COMPARE_WITH_TIMEOUT(savedSettings(), QByteArray("\"\",\"06:15:00\",1,-2147483640,12648447\r\n"), 4000);
}

void TestStartup::soundNameWithALineBreakIsRefused()
{
    writeSettings("\"/music/dawn.mp3\",\"\",1,0,0\r\n");
    Form1& f = Forms::form1();
    CommonDialog::answerNextOpen(u"/music/two\nlines.mp3"_qs);
    f.sound()->trigger();
    QCOMPARE(m_desk.boxes.size(), 1);
    QVERIFY(m_desk.boxes[0].text.contains(u"line break"_qs));
    QCOMPARE(f.engine().SoundPath, u"/music/dawn.mp3"_qs);
    Forms::unloadForm1();
    QCOMPARE(savedSettings(), QByteArray("\"/music/dawn.mp3\",\"\",1,0,0\r\n"));
}

void TestStartup::fileNotReadWholeIsToldOnceAtStart()
{
    const QByteArray damaged("\"/music/dawn.mp3\",\"07:00:00\",five,1,2\r\n");
    writeSettings(damaged);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot read .*"_qs));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*could not be read whole; the old file is kept as .*"_qs));
    Form1& f = Forms::form1();
    // After the window is shown, not before.
    QVERIFY(m_desk.boxes.isEmpty());
    QTRY_COMPARE(m_desk.boxes.size(), 1);
    const QString bad = m_desk.settingsPath() + u".bad"_qs;
    QVERIFY2(m_desk.boxes[0].text.contains(m_desk.settingsPath()) && m_desk.boxes[0].text.contains(bad),
             qPrintable(m_desk.boxes[0].text));
    QFile copy(bad);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), damaged);
    QCOMPARE(f.engine().SoundPath, u"/music/dawn.mp3"_qs);
    Forms::unloadForm1();
    QCOMPARE(m_desk.boxes.size(), 1);
    QFile::remove(bad);
}

void TestStartup::textsInAnotherEncodingKeepTheirBytes()
{
    // An older program's line in its code page: unchanged, it goes back byte for byte.
    const QByteArray latin1("\"/music/r\xe9veil.mp3\",\"caf\xe9 7\xb0\",1,0,0\r\n");
    writeSettings(latin1);
    QCOMPARE(Forms::form1().Text2()->text(), u"café 7°"_qs);
    Forms::unloadForm1();
    QCOMPARE(savedSettings(), latin1);
    // An alarm text changed in the window goes out as UTF-8, the sound path still as it came.
    restart();
    Forms::form1().Text2()->setText(u"thé 7°"_qs);
    Forms::unloadForm1();
    QCOMPARE(savedSettings(), QByteArray("\"/music/r\xe9veil.mp3\",\"th\xc3\xa9 7\xc2\xb0\",1,0,0\r\n"));
    restart();
    QCOMPARE(Forms::form1().Text2()->text(), u"thé 7°"_qs);
    QCOMPARE(Forms::form1().engine().SoundPath, u"/music/réveil.mp3"_qs);
}

QTEST_MAIN(TestStartup)
#include "TestStartup.moc"
