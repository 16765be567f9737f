#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// One running program per user, seen from two claimants in one process: the second is refused, its
// knock shows the first one's window, and a folder whose path cannot hold a socket does not stop a
// start.
class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void secondClaimKnocksAndTheFirstShows();
    void socketLeftByACrashIsReplaced();
    void tooLongAFolderStillStarts();
};

void TestSingleInstance::secondClaimKnocksAndTheFirstShows()
{
    QTemporaryDir dir;
    int shown = 0;
    SingleInstance first(dir.path());
    QVERIFY(first.claim([&shown] { ++shown; }));
    SingleInstance second(dir.path());
    QVERIFY(!second.claim([] { QFAIL("the second start must not be asked to show"); }));
    QVERIFY(second.askRunningToShow(200));
    QTRY_COMPARE(shown, 1);
    QVERIFY(second.askRunningToShow(200));
    QTRY_COMPARE(shown, 2);
}

void TestSingleInstance::socketLeftByACrashIsReplaced()
{
    QTemporaryDir dir;
    // What a killed run leaves: a socket file nobody listens on (here a plain file in its place).
    QFile stale(dir.filePath(QStringLiteral("kestrune.socket")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    int shown = 0;
    SingleInstance first(dir.path());
    QVERIFY(first.claim([&shown] { ++shown; }));
    SingleInstance second(dir.path());
    QVERIFY(!second.claim({}));
    QVERIFY(second.askRunningToShow(200));
    QTRY_COMPARE(shown, 1);
}

void TestSingleInstance::tooLongAFolderStillStarts()
{
    QTemporaryDir dir;
    const QString deep = dir.filePath(QString(100, QLatin1Char('d')));
    QVERIFY(QDir().mkpath(deep));
    SingleInstance first(deep);
    QVERIFY(first.claim([] {}));
    SingleInstance second(deep);
    QVERIFY(!second.claim({}));
    QVERIFY(!second.askRunningToShow(100));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
