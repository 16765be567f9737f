#include "alarm/AlarmEngine.h"
#include "alarm/SnoozeMinutes.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "dialogs/Form3.h"
#include "mock/DesktopDoubles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
    void typedMinutesAreNotSaved();

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

void TestStartup::typedMinutesAreNotSaved()
{
    Forms::form1();
    Forms::form3().Text2()->setText(QStringLiteral("12"));
    QCOMPARE(SnoozeMinutes, qint16(12));
    Forms::unloadForm1();
    QCOMPARE(savedSettings(), QByteArray("\"\",\"\",1,-2147483640,12648447\r\n"));
}

QTEST_MAIN(TestStartup)
#include "TestStartup.moc"
