#include "mock/RecordedSkip.h"
#include "platform/SessionEndWatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

// Signals and the end of the session run the program's own shutdown, from the event loop.
class TestSessionEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void signalRunsShutdownFromTheEventLoop_data();
    void signalRunsShutdownFromTheEventLoop();
    void signalsTogetherRunOneShutdown();
    void quittingRunsShutdown();
    void programSavesItsSettingsWhenSignalled_data();
    void programSavesItsSettingsWhenSignalled();
    void failedSaveWhenSignalledOnlySaysWhy();

private:
    void runSignalled(int signal, bool failingSave);

    int m_calls = 0;
    bool m_calledWhileRaising = false;
    bool m_raising = false;
};

void TestSessionEnd::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    // Whoever started the tests may have had some of these ignored; the program is tested as a
    // desktop starts it.
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        std::signal(signal, SIG_DFL);
}

void TestSessionEnd::init()
{
    m_calls = 0;
    m_calledWhileRaising = false;
    SessionEndWatcher::install([this] {
        ++m_calls;
        m_calledWhileRaising = m_calledWhileRaising || m_raising;
    });
}

void TestSessionEnd::signalRunsShutdownFromTheEventLoop_data()
{
    QTest::addColumn<int>("signal");
    QTest::addRow("SIGTERM") << SIGTERM;
    QTest::addRow("SIGHUP") << SIGHUP;
    QTest::addRow("SIGINT") << SIGINT;
}

void TestSessionEnd::signalRunsShutdownFromTheEventLoop()
{
    QFETCH(int, signal);
    m_raising = true;
    QCOMPARE(std::raise(signal), 0);
    m_raising = false;
    // raise() returns after the handler has run: nothing may have happened yet.
    QCOMPARE(m_calls, 0);
    QTRY_COMPARE(m_calls, 1);
    QVERIFY(!m_calledWhileRaising);
}

void TestSessionEnd::signalsTogetherRunOneShutdown()
{
    QCOMPARE(std::raise(SIGTERM), 0);
    QCOMPARE(std::raise(SIGHUP), 0);
    QCOMPARE(m_calls, 0);
    QTRY_COMPARE(m_calls, 1);
    QTest::qWait(50);
    QCOMPARE(m_calls, 1);
}

void TestSessionEnd::quittingRunsShutdown()
{
    // The session manager's last word ends the event loop.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    QCOMPARE(m_calls, 1);
}

void TestSessionEnd::programSavesItsSettingsWhenSignalled_data()
{
    signalRunsShutdownFromTheEventLoop_data();
}

void TestSessionEnd::programSavesItsSettingsWhenSignalled()
{
    QFETCH(int, signal);
    runSignalled(signal, false);
}

void TestSessionEnd::failedSaveWhenSignalledOnlySaysWhy()
{
    // Nobody is there to answer a box: the program ends at once and says why on standard error.
    runSignalled(SIGTERM, true);
}

void TestSessionEnd::runSignalled(int signal, bool failingSave)
{
    // The program is built beside the tests; a copy in a folder of its own keeps its settings there.
    const QString built = QDir(QCoreApplication::applicationDirPath()).filePath(u"../src/kestrune"_qs);
    if (!QFile::exists(built))
        KESTRUNE_SKIP("the program itself is not built");
    if (!QFile::exists(u"/proc/self/status"_qs))
        KESTRUNE_SKIP("needs /proc to see when the program is ready");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString program = QDir(folder.path()).filePath(u"kestrune"_qs);
    QVERIFY(QFile::copy(built, program));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    environment.insert(u"XDG_CONFIG_HOME"_qs, folder.path());
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(failingSave ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    const QString settingsPath = QDir(folder.path()).filePath(u"settings.txt"_qs);
    // A folder in its place: it can be neither read nor replaced.
    if (failingSave)
        QVERIFY(QDir().mkdir(settingsPath));
    process.start(program, {});
    QVERIFY(process.waitForStarted());

    // Ready once the program catches the signal; sent earlier, it would end the program unsaved.
    const QString status = u"/proc/%1/status"_qs.arg(process.processId());
    const auto catches = [&] {
        QFile file(status);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1) & 1) != 0;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(catches(), 20000);
    QCOMPARE(QFileInfo::exists(settingsPath), failingSave);

    QCOMPARE(::kill(process.processId(), signal), 0);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    if (failingSave) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(said.contains(u"cannot save "_qs + settingsPath + u": it is a folder"_qs), qPrintable(said));
        QVERIFY(QFileInfo(settingsPath).isDir());
        return;
    }
    QFile settings(QDir(folder.path()).filePath(u"settings.txt"_qs));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), QByteArray("\"\",\"\",1,-2147483640,12648447\r\n"));
}

QTEST_MAIN(TestSessionEnd)
#include "TestSessionEnd.moc"
