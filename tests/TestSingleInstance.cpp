#include "app/SingleInstance.h"
#include "mock/RecordedSkip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// One running program per user, seen from two claimants in one process: the second is refused, its
// knock shows the first one's window, and a folder whose path cannot hold a socket does not stop a
// start.
class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void secondClaimKnocksAndTheFirstShows();
    void socketLeftByACrashIsReplaced();
    void tooLongAFolderStillStarts();
    void onlyAFolderOfTheUsersAlone();
    void fallbackFolderTakenBySomethingElse();
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

void TestSingleInstance::onlyAFolderOfTheUsersAlone()
{
    QTemporaryDir home;
    QTemporaryDir open;
    QVERIFY(QFile::setPermissions(open.path(), QFileDevice::Permissions(0x7755)));
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CACHE_HOME");
    const QString ownCache = home.filePath(u".cache/kestrune-runtime"_qs);
    // Another user's, closed to others, as sudo keeping XDG_RUNTIME_DIR gives root: a folder given to
    // nobody; to a normal user, root's home.
    QTemporaryDir theirs;
    QVERIFY(
        QFile::setPermissions(theirs.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QByteArray others = ::geteuid() == 0 ? QFile::encodeName(theirs.path()) : QByteArray("/root");
    if (::geteuid() == 0)
        QCOMPARE(::chown(others.constData(), 65534, 65534), 0);
    // Unset, open to others, or another user's (root's to a normal user, the shared temporary
    // folder to root): a private one under the cache folder, never the working folder.
    for (const QByteArray& runtime : {QByteArray(), QFile::encodeName(open.path()), QByteArray("/tmp"), others}) {
        qputenv("XDG_RUNTIME_DIR", runtime);
        QCOMPARE(SingleInstance::privateFolder(), ownCache);
    }
    QCOMPARE(QFileInfo(ownCache).permissions() & 0x0077, 0);
    QVERIFY(QDir::setCurrent(open.path()));
    SingleInstance first(SingleInstance::privateFolder());
    QVERIFY(first.claim([] {}));
    QVERIFY(QFileInfo::exists(ownCache + u"/kestrune.socket"_qs));
    QVERIFY(QDir(open.path()).isEmpty());
    QVERIFY(QDir::setCurrent(QDir::rootPath()));
    // Another user's HOME, as sudo keeps it: nothing is made in it.
    qputenv("HOME", others);
    qunsetenv("XDG_RUNTIME_DIR");
    if (::geteuid() == 0)
        QCOMPARE(SingleInstance::privateFolder(), QString());
    QVERIFY(QDir(theirs.path()).isEmpty());
    // No place of the user's alone at all: the start goes on, and says why it may not be the only one.
    qputenv("HOME", "/");
    qunsetenv("XDG_RUNTIME_DIR");
    SingleInstance unchecked(SingleInstance::privateFolder());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^there is no folder .*not checking for another.*"_qs));
    QVERIFY(unchecked.claim([] {}) && unchecked.notice().contains(u"only one copy"_qs));
    if (::geteuid() != 0)
        KESTRUNE_SKIP("giving a socket to another user needs root");
    // Another user's socket in its place is neither replaced nor asked.
    QTemporaryDir dir;
    const QByteArray socket = QFile::encodeName(dir.filePath(u"kestrune.socket"_qs));
    QFile(QString::fromLocal8Bit(socket)).open(QIODevice::WriteOnly);
    QCOMPARE(::lchown(socket.constData(), 65534, 65534), 0);
    SingleInstance mine(dir.path());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*belongs to another user.*"_qs));
    QVERIFY(mine.claim([] {}));
    QVERIFY(!mine.askRunningToShow(100));
    struct stat status {};
    QCOMPARE(::lstat(socket.constData(), &status), 0);
    QCOMPARE(status.st_uid, 65534u);
}

void TestSingleInstance::fallbackFolderTakenBySomethingElse()
{
    QTemporaryDir home;
    QTemporaryDir elsewhere;
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString usual = home.filePath(u".cache/kestrune-runtime"_qs);
    const QString other = home.filePath(u".kestrune-runtime"_qs);
    const QByteArray name = QFile::encodeName(usual);
    const auto put = [&](const QString& what) {
        QDir(usual).removeRecursively();
        QFile::remove(usual);
        QDir(other).removeRecursively();
        if (what == u"file")
            return QFile(usual).open(QIODevice::WriteOnly);
        if (what == u"link")
            return QFile::link(elsewhere.path(), usual);
        return QDir().mkpath(usual) && ::chmod(name.constData(), 0777) == 0 &&
               (what == u"open" || ::chown(name.constData(), 65534, 65534) == 0);
    };
    // The user's own folder open to all is made private again; for anything else another place is used.
    for (const QString& what : {u"open"_qs, u"file"_qs, u"link"_qs, u"others"_qs}) {
        if (!put(what) && what == u"others" && ::geteuid() != 0) {
            RecordedSkip::add("giving a folder to another user needs root");
            continue;
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*kestrune-runtime (is not|was open).*"_qs));
        const QString folder = SingleInstance::privateFolder();
        QCOMPARE(folder, what == u"open" ? usual : other);
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, 0);
        QVERIFY(QDir(elsewhere.path()).isEmpty() && (what != u"others" || QDir(usual).isEmpty()));
    }
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
