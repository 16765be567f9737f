#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "mock/RecordedSkip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// One running program per user, seen from two claimants in one process: the second is refused, its
// knock shows the first one's window, its requests are answered and garbage is not, and a folder
// whose path cannot hold a socket does not stop a start. And what a command line asks for.
class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void secondClaimKnocksAndTheFirstShows();
    void requestsAreAnsweredAndGarbageIsNot_data();
    void requestsAreAnsweredAndGarbageIsNot();
    void commandLine_data();
    void commandLine();
    void socketLeftByACrashIsReplaced();
    void tooLongAFolderFloodedOrStopped();
    void onlyAFolderOfTheUsersAlone();
    void fallbackFolderTakenBySomethingElse();
};

namespace {
// A running copy that counts the windows it was asked to show.
SingleInstance::Handler counting(int& shown)
{
    return [&shown](const SingleInstance::Request& request) {
        shown += request.verb == SingleInstance::Verb::Show;
        return SingleInstance::Reply{true, true, QString()};
    };
}

// What a later start gets back for the request's raw bytes, asked from another thread so that this
// one's event loop answers.
QByteArray rawReply(const QString& folder, const QByteArray& bytes)
{
    QByteArray reply;
    std::atomic<bool> finished = false;
    std::thread asker([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(folder + u"/kestrune.socket"_qs);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
            ::shutdown(fd, SHUT_WR);
            char buffer[256];
            for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
                reply.append(buffer, n);
        }
        ::close(fd);
        finished = true;
    });
    if (!QTest::qWaitFor([&finished] { return finished.load(); }, 3000))
        qWarning("no answer within 3 s");
    asker.join();
    return reply;
}
} // namespace

void TestSingleInstance::secondClaimKnocksAndTheFirstShows()
{
    QTemporaryDir dir;
    int shown = 0;
    SingleInstance first(dir.path());
    QVERIFY(first.claim(counting(shown)));
    SingleInstance second(dir.path());
    QVERIFY(!second.claim({}));
    // Asked from a thread: the first answers only from its event loop.
    for (int times = 1; times <= 2; ++times) {
        bool reached = false;
        std::thread asker([&] { reached = second.askRunningToShow(2000); });
        QTRY_COMPARE(shown, times);
        asker.join();
        QVERIFY(reached);
    }
    // The knock of an earlier version: connected and gone without a word.
    QCOMPARE(rawReply(dir.path(), QByteArray()), QByteArray("ok\n"));
    QCOMPARE(shown, 3);
}

void TestSingleInstance::requestsAreAnsweredAndGarbageIsNot_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("reply");
    QTest::addRow("set") << SingleInstance::encode({SingleInstance::Verb::Set, u"07:30:00"_qs})
                         << QByteArray("ok\nset 07:30:00");
    QTest::addRow("refused") << QByteArray("set 7:30\n") << QByteArray("refused\nno such time: 7:30");
    QTest::addRow("status") << QByteArray("status\n") << QByteArray("ok\nstatus ");
    QTest::addRow("repeat") << SingleInstance::encode({SingleInstance::Verb::Repeat, u"weekdays"_qs})
                            << QByteArray("ok\nstatus ");
    QTest::addRow("a line break in the time goes as one that cannot ring")
        << SingleInstance::encode({SingleInstance::Verb::Set, u"07:30:00\noff"_qs})
        << QByteArray("refused\nno such time: -");
    const QByteArray error("error\nnot a request\n");
    QTest::addRow("unknown word") << QByteArray("reboot\n") << error;
    QTest::addRow("set without a time") << QByteArray("set\n") << error;
    QTest::addRow("off with an argument") << QByteArray("off now\n") << error;
    QTest::addRow("repeat without days") << QByteArray("repeat\n") << error;
    QTest::addRow("skip with an argument") << QByteArray("skip mon\n") << error;
    QTest::addRow("no line feed") << QByteArray("status") << error;
    QTest::addRow("a control character") << QByteArray("set 07:30:00\t\n") << error;
    QTest::addRow("not UTF-8") << QByteArray("set \xff\xfe\n") << error;
    QTest::addRow("too long") << QByteArray("set ") + QByteArray(SingleInstance::RequestLimit, '0') + '\n' << error;
}

void TestSingleInstance::requestsAreAnsweredAndGarbageIsNot()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, reply);
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QVERIFY(first.claim([](const SingleInstance::Request& request) {
        const bool ringable = request.argument.size() == 8;
        if (request.verb == SingleInstance::Verb::Set)
            return SingleInstance::Reply{true, ringable,
                                         (ringable ? u"set "_qs : u"no such time: "_qs) + request.argument};
        return SingleInstance::Reply{true, true, u"status "_qs};
    }));
    if (reply.startsWith("error"))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*not one was refused"_qs));
    QCOMPARE(rawReply(dir.path(), sent), reply);
}

void TestSingleInstance::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("time");
    using A = CommandLine::Action;
    QTest::addRow("plain start") << QStringList{} << int(A::Start) << QString();
    QTest::addRow("login start, a field code left over")
        << QStringList{u"--tray"_qs, u"%U"_qs} << int(A::Tray) << QString();
    QTest::addRow("Qt's own options") << QStringList{u"-platform"_qs, u"xcb"_qs, u"-reverse"_qs} << int(A::Start)
                                      << QString();
    QTest::addRow("set") << QStringList{u"--set"_qs, u"07:30:00"_qs} << int(A::Set) << u"07:30:00"_qs;
    QTest::addRow("set=, with --tray") << QStringList{u"--tray"_qs, u"--set=7:30"_qs} << int(A::Set) << u"7:30"_qs;
    QTest::addRow("off") << QStringList{u"--off"_qs} << int(A::Off) << QString();
    QTest::addRow("sleep") << QStringList{u"--sleep"_qs} << int(A::Sleep) << QString();
    QTest::addRow("status") << QStringList{u"--status"_qs, u"%f"_qs} << int(A::Status) << QString();
    QTest::addRow("help") << QStringList{u"-h"_qs} << int(A::Help) << QString();
    QTest::addRow("version") << QStringList{u"--version"_qs} << int(A::Version) << QString();
    QTest::addRow("unknown option") << QStringList{u"--bogus"_qs} << int(A::Refused) << u"bogus"_qs;
    QTest::addRow("set without a time") << QStringList{u"--set"_qs} << int(A::Refused) << u"--set"_qs;
    QTest::addRow("an argument") << QStringList{u"tone.mp3"_qs} << int(A::Refused) << u"tone.mp3"_qs;
    QTest::addRow("two commands") << QStringList{u"--off"_qs, u"--status"_qs} << int(A::Refused) << u"only one"_qs;
    QTest::addRow("two times") << QStringList{u"--set=07:00:00"_qs, u"--set=08:00:00"_qs} << int(A::Refused)
                               << u"only one"_qs;
    // For --repeat alone, the days in their shortest words.
    QTest::addRow("set with its days") << QStringList{u"--set"_qs, u"07:30:00"_qs, u"--repeat"_qs, u"daily"_qs}
                                       << int(A::Set) << u"07:30:00"_qs;
    QTest::addRow("repeat alone") << QStringList{u"--repeat=FRI,mon,tue,wed,thu"_qs} << int(A::Repeat)
                                  << u"weekdays"_qs;
    QTest::addRow("skip") << QStringList{u"--skip"_qs} << int(A::Skip) << QString();
    QTest::addRow("no such day") << QStringList{u"--repeat"_qs, u"mon,funday"_qs} << int(A::Refused)
                                 << u"mon,funday"_qs;
    QTest::addRow("repeat with off") << QStringList{u"--repeat"_qs, u"daily"_qs, u"--off"_qs} << int(A::Refused)
                                     << u"only one"_qs;
}

void TestSingleInstance::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, time);
    const CommandLine line = CommandLine::parse(QStringList{u"kestrune"_qs} + arguments);
    QCOMPARE(int(line.action()), action);
    // Refused: the words say what was wrong; else the time given.
    if (line.action() == CommandLine::Action::Refused)
        QVERIFY2(line.text().contains(time), qPrintable(line.text()));
    else
        QCOMPARE(line.action() == CommandLine::Action::Repeat ? line.repeat() : line.time(), time);
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
    QVERIFY(first.claim(counting(shown)));
    SingleInstance second(dir.path());
    QVERIFY(!second.claim({}));
    QVERIFY(second.askRunningToShow(200));
    QTRY_COMPARE(shown, 1);
}

void TestSingleInstance::tooLongAFolderFloodedOrStopped()
{
    QTemporaryDir dir;
    // A folder whose path is too long for a socket's address: the running copy is reached all the same.
    const QString deep = dir.filePath(QString(100, QLatin1Char('d')));
    QVERIFY(QDir().mkpath(deep));
    int shown = 0;
    SingleInstance first(deep);
    QVERIFY(first.claim(counting(shown)) && first.notice().isEmpty());
    SingleInstance second(deep);
    QVERIFY(!second.claim({}) && second.runningElsewhere());
    // Connections that say nothing, as many as a flood makes, held open by this end.
    const int folder = ::open(QFile::encodeName(deep).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(folder) + "/kestrune.socket";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    std::vector<int> idle;
    const auto connectIdle = [&] {
        idle.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        return ::connect(idle.back(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    };
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"too many requests.*"_qs));
    for (int i = 0; i < 100; ++i)
        QVERIFY(QTest::qWaitFor(connectIdle, 1000));
    // A real request among them is answered.
    bool reached = false;
    std::thread asker([&] { reached = second.askRunningToShow(2000); });
    QTRY_COMPARE(shown, 1);
    asker.join();
    QVERIFY(reached);
    // Stopped (its events not handled), with its queue full: a call gives up at its limit, not hangs.
    while (connectIdle())
        ;
    const std::optional<SingleInstance::Reply> reply = second.ask({SingleInstance::Verb::Status, QString()}, 500);
    QVERIFY(reply && !reply->answered);
    for (int fd : idle)
        ::close(fd);
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
    QVERIFY(first.claim({}));
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
    QVERIFY(unchecked.claim({}) && unchecked.notice().contains(u"only one copy"_qs));
    if (::geteuid() != 0)
        KESTRUNE_SKIP("giving a socket to another user needs root");
    // Another user's socket in its place is neither replaced nor asked.
    QTemporaryDir dir;
    const QByteArray socket = QFile::encodeName(dir.filePath(u"kestrune.socket"_qs));
    QFile(QString::fromLocal8Bit(socket)).open(QIODevice::WriteOnly);
    QCOMPARE(::lchown(socket.constData(), 65534, 65534), 0);
    SingleInstance mine(dir.path());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*belongs to another user.*"_qs));
    QVERIFY(mine.claim({}));
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
