#include "core/ExecutableFolder.h"
#include "core/PathTrust.h"
#include "core/SettingsFile.h"
#include "core/SettingsLocation.h"
#include "mock/RecordedSkip.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

Q_DECLARE_METATYPE(SettingsRecord)

namespace {
const qint32 windowText = qint32(0x80000008u);
const qint32 lightYellow = 12648447;

SettingsRecord record(std::optional<QString> sound, std::optional<QString> alarm, std::optional<int> snooze,
                      std::optional<qint32> fore, std::optional<qint32> back)
{
    return {std::move(sound), std::move(alarm), snooze, fore, back};
}

// One readable line per record, so that a failed comparison shows every field.
QString describe(const SettingsRecord& r)
{
    auto text = [](const std::optional<QString>& t) { return t ? u'[' + *t + u']' : QStringLiteral("-"); };
    auto number = [](const std::optional<int>& n) { return n ? QString::number(*n) : QStringLiteral("-"); };
    return QStringList{text(r.soundPath), text(r.alarmTime), number(r.snoozeMinutes), number(r.foreColor),
                       number(r.backColor)}
        .join(u" | ");
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
const QFileDevice::Permissions readOnlyFolder =
    readOnly | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
// A file size limit standing in for a full disk while it lives: writes past it fail with EFBIG
// instead of killing the test with SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_ok = getrlimit(RLIMIT_FSIZE, &m_saved) == 0;
        rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &small) == 0;
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        std::signal(SIGXFSZ, m_previousHandler);
        setrlimit(RLIMIT_FSIZE, &m_saved);
    }
    bool isSet() const { return m_ok; }

private:
    rlimit m_saved{};
    bool m_ok = false;
    void (*m_previousHandler)(int) = nullptr;
};
} // namespace

// settings.txt: the exact line, the tolerant reader, and saves that never lose the old file.
// The tests run as root too, where every file is writable: read-only here means the permission bits.
class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstRunLineByteForByte();
    void format_data();
    void format();
    void roundTrip_data();
    void roundTrip();
    void parse_data();
    void parse();

    void absentFileReadsNothing();
    void readOnlyFileIsRead();
    void unreadableFileSaysWhy();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void saveThatRunsOutOfRoomKeepsTheOldFile();
    void unwritableProgramFolderFallsBackToTheUserFolder();

    void failedFlushKeepsTheOldFile();
    void linkToARegularFileIsWrittenThrough();
    void danglingLinkIsSavedThrough();
    void linkToSomethingElseIsRefused_data();
    void linkToSomethingElseIsRefused();
    void specialFileIsNeverOpened_data();
    void specialFileIsNeverOpened();

    void readOrderBesideTheProgramFirst();
    void othersFilesAreNeverReadNorWritten();
    void systemFoldersAreNeverWritten_data();
    void systemFoldersAreNeverWritten();
    void perUserFileFollowsTheEnvironment();
    void noUsableHomeSaysItCannotSave_data();
    void noUsableHomeSaysItCannotSave();

    void unchangedTextKeepsItsBytes_data();
    void unchangedTextKeepsItsBytes();
    void changedTextIsWrittenAsUtf8();
    void utf16FileIsReadAndRewrittenAsUtf8_data();
    void utf16FileIsReadAndRewrittenAsUtf8();
    void unreadableFileIsKeptAsBad_data();
    void unreadableFileIsKeptAsBad();
    void goodFileLeavesNoBadCopy();
    void madeUnderADefaultAclIsTheUsersAlone();

private:
    QString settingsPath() const { return QDir(m_folder->path()).filePath(QStringLiteral("settings.txt")); }
    QString userFolder() const { return QDir(m_config.path()).filePath(QStringLiteral("kestrune")); }

    QString userFile() const { return QDir(userFolder()).filePath(QStringLiteral("settings.txt")); }

    QTemporaryDir m_config;
    QByteArray m_home;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestSettingsFile::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(m_config.isValid());
    // Before anything asks for the standard paths, so the user folder is a throw-away one.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    m_home = qgetenv("HOME");
}

void TestSettingsFile::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    ExecutableFolder::setOverride(m_folder->path());
}

void TestSettingsFile::cleanup()
{
    QFile::setPermissions(m_folder->path(), readOnlyFolder | QFileDevice::WriteOwner);
    QFile::setPermissions(userFolder(), readOnlyFolder | QFileDevice::WriteOwner);
    ExecutableFolder::setOverride(QString());
    m_folder.reset();
    QDir(m_config.path()).removeRecursively();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    qputenv("HOME", m_home);
}

void TestSettingsFile::firstRunLineByteForByte()
{
    QVERIFY(SettingsFile().write(record(QString(), QString(), 1, windowText, lightYellow)));
    QCOMPARE(SettingsFile().path(), settingsPath());
    QCOMPARE(contents(settingsPath()), QByteArray("\"\",\"\",1,-2147483640,12648447\r\n"));
}

void TestSettingsFile::format_data()
{
    QTest::addColumn<SettingsRecord>("input");
    QTest::addColumn<QByteArray>("line");

    QTest::addRow("plain values") << record(u"/home/me/wake.mp3"_qs, u"07:30:00"_qs, 12, 255, 0)
                                  << QByteArray("\"/home/me/wake.mp3\",\"07:30:00\",12,255,0\r\n");
    QTest::addRow("inner quotes doubled")
        << record(u"a\"b.mp3"_qs, u"\""_qs, 1, 0, 0) << QByteArray("\"a\"\"b.mp3\",\"\"\"\",1,0,0\r\n");
    QTest::addRow("negative numbers") << record(QString(), QString(), -3, qint32(0x80000005u), -1)
                                      << QByteArray("\"\",\"\",-3,-2147483643,-1\r\n");
    QTest::addRow("text in UTF-8") << record(u"/home/zoë/Wecker.mp3"_qs, QString(), 1, 0, 0)
                                   << QByteArray("\"/home/zo\xc3\xab/Wecker.mp3\",\"\",1,0,0\r\n");
    QTest::addRow("missing values left empty")
        << record(std::nullopt, std::nullopt, std::nullopt, std::nullopt, 5) << QByteArray("\"\",\"\",,,5\r\n");
}

void TestSettingsFile::format()
{
    QFETCH(SettingsRecord, input);
    QFETCH(QByteArray, line);
    QCOMPARE(SettingsFile::format(input), line);
}

void TestSettingsFile::roundTrip_data()
{
    QTest::addColumn<SettingsRecord>("saved");

    QTest::addRow("first run") << record(QString(), QString(), 1, windowText, lightYellow);
    QTest::addRow("sound path with blanks and commas")
        << record(u"/home/me/Music/wake up, now.mp3"_qs, u"06:45:00"_qs, 30, 0, 16777215);
    QTest::addRow("quote inside both texts") << record(u"/tmp/\"best\" tone.mp3"_qs, u"7\"30"_qs, 5, 255, 65280);
    QTest::addRow("quotes at the edges") << record(u"\""_qs, u"\"\"x\""_qs, 2, 1, 2);
    QTest::addRow("system colours") << record(QString(), QString(), 1, windowText, qint32(0x80000005u));
    QTest::addRow("extreme colours") << record(QString(), QString(), 1, std::numeric_limits<qint32>::min(),
                                               std::numeric_limits<qint32>::max());
    QTest::addRow("comma in a text") << record(u"b,c"_qs, u"x,y"_qs, 9, 0, 0);
    QTest::addRow("byte order marks in a text") << record(u"\uFEFF\uFEFF"_qs, u"\uFEFFx"_qs, 1, 0, 0);
    QTest::addRow("non-ASCII path") << record(u"/home/zoë/Wecker – früh.mp3"_qs, u"05:00:00"_qs, 15, 0, 0);
}

void TestSettingsFile::roundTrip()
{
    QFETCH(SettingsRecord, saved);
    QVERIFY(SettingsFile().write(saved));
    const std::optional<SettingsRecord> restored = SettingsFile().read();
    QVERIFY(restored);
    QCOMPARE(describe(*restored), describe(saved));
}

void TestSettingsFile::parse_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<SettingsRecord>("expected");

    const SettingsRecord ab = record(u"a"_qs, u"b"_qs, 5, 1, 2);
    QTest::addRow("first-run line") << QByteArray("\"\",\"\",1,-2147483640,12648447\r\n")
                                    << record(QString(), QString(), 1, windowText, lightYellow);
    QTest::addRow("quoted numbers in fields 4 and 5") << QByteArray("\"a\",\"b\",5,\"-2147483640\",\"12648447\"\r\n")
                                                      << record(u"a"_qs, u"b"_qs, 5, windowText, lightYellow);
    QTest::addRow("quoted snooze") << QByteArray("\"a\",\"b\",\"5\",1,2\r\n") << ab;
    QTest::addRow("blanks around unquoted fields")
        << QByteArray("  a b , \tb\t,  5 ,1 ,  2  \r\n") << record(u"a b"_qs, u"b"_qs, 5, 1, 2);
    QTest::addRow("blanks inside quotes kept")
        << QByteArray(" \" a \" , \"b \",5,1,2") << record(u" a "_qs, u"b "_qs, 5, 1, 2);
    QTest::addRow("no final line end") << QByteArray("\"a\",\"b\",5,1,2") << ab;
    QTest::addRow("trailing fields ignored") << QByteArray("\"a\",\"b\",5,1,2,\"more\",junk\r\n") << ab;
    QTest::addRow("further lines ignored") << QByteArray("\"a\",\"b\",5,1,2\r\n\"c\",\"d\",6,3,4\r\n") << ab;
    QTest::addRow("one field a line") << QByteArray("\"a\"\r\n\"b\"\r\n5\r\n1\r\n2\r\n") << ab;
    QTest::addRow("line feeds alone") << QByteArray("\"a\"\n\"b\"\n5\n1\n2\n") << ab;
    QTest::addRow("doubled quote is one quote")
        << QByteArray("\"say \"\"hi\"\"\",\"\"\"\",5,1,2") << record(u"say \"hi\""_qs, u"\""_qs, 5, 1, 2);
    QTest::addRow("single inner quote ends the text")
        << QByteArray("\"say \"hi\",\"b\",5,1,2") << record(u"say "_qs, u"b"_qs, 5, 1, 2);
    QTest::addRow("byte order mark") << QByteArray("\xef\xbb\xbf\"a\",\"b\",5,1,2") << ab;

    QTest::addRow("empty file") << QByteArray() << SettingsRecord{};
    QTest::addRow("three fields") << QByteArray("\"a\",\"b\",5\r\n")
                                  << record(u"a"_qs, u"b"_qs, 5, std::nullopt, std::nullopt);
    QTest::addRow("letters for numbers") << QByteArray("\"a\",\"b\",five,red,\"blue\"\r\n")
                                         << record(u"a"_qs, u"b"_qs, std::nullopt, std::nullopt, std::nullopt);
    QTest::addRow("numbers with letters after them")
        << QByteArray("\"a\",\"b\",5x,1 2,0x10\r\n")
        << record(u"a"_qs, u"b"_qs, std::nullopt, std::nullopt, std::nullopt);
    QTest::addRow("fraction") << QByteArray("\"a\",\"b\",7.5,1,2") << record(u"a"_qs, u"b"_qs, std::nullopt, 1, 2);
    QTest::addRow("empty numbers") << QByteArray("\"a\",\"b\",,,\r\n")
                                   << record(u"a"_qs, u"b"_qs, std::nullopt, std::nullopt, std::nullopt);
    QTest::addRow("snooze 9999 converts") << QByteArray("\"a\",\"b\",9999,1,2") << record(u"a"_qs, u"b"_qs, 9999, 1, 2);
    QTest::addRow("snooze below zero converts")
        << QByteArray("\"a\",\"b\",-7,1,2") << record(u"a"_qs, u"b"_qs, -7, 1, 2);
    QTest::addRow("snooze beyond 16 bits")
        << QByteArray("\"a\",\"b\",99999,1,2") << record(u"a"_qs, u"b"_qs, std::nullopt, 1, 2);
    QTest::addRow("16-bit limits") << QByteArray("\"a\",\"b\",-32768,1,2") << record(u"a"_qs, u"b"_qs, -32768, 1, 2);
    QTest::addRow("colours beyond 32 bits") << QByteArray("\"a\",\"b\",5,2147483648,-2147483649")
                                            << record(u"a"_qs, u"b"_qs, 5, std::nullopt, std::nullopt);
    QTest::addRow("huge numbers") << QByteArray("\"a\",\"b\",99999999999999999999999,-99999999999999999999999,"
                                                "123456789012345678901234567890")
                                  << record(u"a"_qs, u"b"_qs, std::nullopt, std::nullopt, std::nullopt);
    QTest::addRow("lone quote") << QByteArray("\"") << SettingsRecord{};
    QTest::addRow("text cut off by the end")
        << QByteArray("\"a\",\"07:00:00,5,1,2\r\n")
        << record(u"a"_qs, u"07:00:00,5,1,2"_qs, std::nullopt, std::nullopt, std::nullopt);
    static const char junk[] = "\x00\x01\xff,\x80\x7f,\x00,\x1b[2J,\xfe";
    QTest::addRow("binary junk") << QByteArray(junk, sizeof junk - 1)
                                 << record(QString(), QString(QChar(0x80)) + QChar(0x7f), std::nullopt, std::nullopt,
                                           std::nullopt);
    QTest::addRow("line break ends a quoted text")
        << QByteArray("\"a\r\nb\",\"c\",5,1,2\r\n") << record(u"a"_qs, u"b\""_qs, std::nullopt, 5, 1);
    QTest::addRow("NUL ends a quoted text")
        << QByteArray("\"a\0b\",\"c\",5,1,2\r\n", 17) << record(u"a"_qs, u"c"_qs, 5, 1, 2);
    QTest::addRow("Latin-1 text") << QByteArray("\"/home/zo\xeb/R\xe9veil.mp3\",\"b\",5,1,2")
                                  << record(u"/home/zoë/Réveil.mp3"_qs, u"b"_qs, 5, 1, 2);
}

void TestSettingsFile::parse()
{
    QFETCH(QByteArray, content);
    QFETCH(SettingsRecord, expected);
    QCOMPARE(describe(SettingsFile::parse(content)), describe(expected));
}

void TestSettingsFile::absentFileReadsNothing()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    QVERIFY(!SettingsFile().read());
}

void TestSettingsFile::readOnlyFileIsRead()
{
    put(settingsPath(), "\"/a.mp3\",\"08:00:00\",3,255,65280\r\n");
    QVERIFY(QFile::setPermissions(settingsPath(), readOnly));
    const std::optional<SettingsRecord> read = SettingsFile().read();
    QVERIFY(read);
    QCOMPARE(describe(*read), describe(record(u"/a.mp3"_qs, u"08:00:00"_qs, 3, 255, 65280)));
}

void TestSettingsFile::unreadableFileSaysWhy()
{
    // A folder in the file's place cannot be read, as root too.
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("settings.txt")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot read "_qs +
                                                          QRegularExpression::escape(settingsPath()) + u": .+$"_qs));
    QVERIFY(!SettingsFile().read());
}

void TestSettingsFile::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("inUserFolder");
    QTest::addColumn<bool>("fileReadOnly");
    QTest::addColumn<bool>("folderReadOnly");
    QTest::addColumn<QString>("reason");

    QTest::addRow("read-only file") << false << true << false << u"the file is read-only"_qs;
    QTest::addRow("read-only file in the user folder") << true << true << false << u"the file is read-only"_qs;
    QTest::addRow("read-only user folder") << true << false << true << u"its folder is read-only"_qs;
}

void TestSettingsFile::failedSaveKeepsTheOldFile()
{
    QFETCH(bool, inUserFolder);
    QFETCH(bool, fileReadOnly);
    QFETCH(bool, folderReadOnly);
    QFETCH(QString, reason);

    if (inUserFolder)
        QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder));
    const QString path = SettingsFile().path();
    const QString folder = QFileInfo(path).absolutePath();
    QCOMPARE(folder == m_folder->path(), !inUserFolder);
    QVERIFY(QDir().mkpath(folder));
    const QByteArray old("\"/old.mp3\",\"09:00:00\",4,1,2\r\n");
    put(path, old);
    if (fileReadOnly)
        QVERIFY(QFile::setPermissions(path, readOnly));
    if (folderReadOnly)
        QVERIFY(QFile::setPermissions(folder, readOnlyFolder));

    QTest::ignoreMessage(QtWarningMsg, qPrintable(u"cannot save "_qs + path + u": "_qs + reason));
    QVERIFY(!SettingsFile().write(record(u"/new.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(contents(path), old);
    // No half-written companion left behind either.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.txt"_qs});
}

void TestSettingsFile::saveThatRunsOutOfRoomKeepsTheOldFile()
{
    const QByteArray old("\"/old.mp3\",\"09:00:00\",4,1,2\r\n");
    put(settingsPath(), old);
    // The save fails part-way through its writing.
    bool written = true;
    {
        const FileSizeLimit fullDisk(4096);
        QVERIFY(fullDisk.isSet());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*settings\\.txt: .+$"_qs));
        written = SettingsFile().write(record(QString(65536, u'x'), QString(), 1, 0, 0));
    }

    QVERIFY(!written);
    QCOMPARE(contents(settingsPath()), old);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.txt"_qs});
}

void TestSettingsFile::unwritableProgramFolderFallsBackToTheUserFolder()
{
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder));
    const QString userFile = QDir(userFolder()).filePath(u"settings.txt"_qs);
    QCOMPARE(SettingsFile().path(), userFile);

    QVERIFY(!SettingsFile().read());
    const SettingsRecord saved = record(u"/b.mp3"_qs, u"10:00:00"_qs, 7, windowText, lightYellow);
    QVERIFY(SettingsFile().write(saved));
    QVERIFY(!QFile::exists(settingsPath()));
    QCOMPARE(contents(userFile), QByteArray("\"/b.mp3\",\"10:00:00\",7,-2147483640,12648447\r\n"));
    const std::optional<SettingsRecord> restored = SettingsFile().read();
    QVERIFY(restored);
    QCOMPARE(describe(*restored), describe(saved));
}

void TestSettingsFile::failedFlushKeepsTheOldFile()
{
    const QByteArray old("\"/old.mp3\",\"09:00:00\",4,1,2\r\n");
    put(settingsPath(), old);
    // A line that fits the write buffer and a file size limit below it: the write only buffers and
    // says it is done, the flush runs out of room as on a full disk.
    SettingsFile file;
    bool written = true;
    {
        const FileSizeLimit fullDisk(8);
        QVERIFY(fullDisk.isSet());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*settings\\.txt: .+$"_qs));
        written = file.write(record(u"/new.mp3"_qs, u"10:00:00"_qs, 5, 1, 2));
    }

    QVERIFY(!written);
    QVERIFY(!file.failure().isEmpty());
    QCOMPARE(file.failedPath(), settingsPath());
    QCOMPARE(contents(settingsPath()), old);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.txt"_qs});
}

void TestSettingsFile::linkToARegularFileIsWrittenThrough()
{
    QTemporaryDir dotfiles;
    const QString target = dotfiles.filePath(u"kestrune.conf"_qs);
    put(target, "\"/old.mp3\",\"09:00:00\",4,1,2\r\n");
    QVERIFY(QFile::link(target, settingsPath()));

    SettingsFile file;
    const std::optional<SettingsRecord> read = file.read();
    QVERIFY(read);
    QCOMPARE(*read->soundPath, u"/old.mp3"_qs);
    QVERIFY(file.write(record(u"/new.mp3"_qs, u"10:00:00"_qs, 5, 1, 2)));
    QVERIFY(QFileInfo(settingsPath()).isSymLink());
    QCOMPARE(QFileInfo(settingsPath()).symLinkTarget(), target);
    QCOMPARE(contents(target), QByteArray("\"/new.mp3\",\"10:00:00\",5,1,2\r\n"));
    QCOMPARE(QDir(dotfiles.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"kestrune.conf"_qs});
}

void TestSettingsFile::danglingLinkIsSavedThrough()
{
    // A link of the user's own to a file not there (yet): a first run, with no copy kept and no box,
    // and the save makes the file, and its folder, where the link points.
    QTemporaryDir dotfiles;
    const QString target = dotfiles.filePath(u"kestrune/settings.conf"_qs);
    QVERIFY(QFile::link(target, settingsPath()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot read .*"_qs));
    SettingsFile file;
    QVERIFY(!file.read());
    QCOMPARE(file.damage(), QString());
    QCOMPARE(file.keepDamagedCopy(), QString());
    QVERIFY(file.write(record(u"/new.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(QFileInfo(settingsPath()).symLinkTarget(), target);
    QCOMPARE(contents(target), QByteArray("\"/new.mp3\",\"\",1,0,0\r\n"));
    QVERIFY(!QFileInfo::exists(userFile()));
    if (::geteuid() != 0)
        KESTRUNE_SKIP("a link of another user's needs root to make");
    // The same link, another user's: not followed; the settings live in the user's folder.
    QVERIFY(QFile::remove(target));
    QCOMPARE(::lchown(QFile::encodeName(settingsPath()).constData(), 65534, 65534), 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*is not read: .* is a link of another user.*"_qs));
    SettingsFile theirs;
    QVERIFY(!theirs.read());
    QVERIFY(theirs.write(record(u"/mine.mp3"_qs, QString(), 1, 0, 0)));
    QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(contents(userFile()), QByteArray("\"/mine.mp3\",\"\",1,0,0\r\n"));
}

namespace {
// Something other than a regular file at path; what it is, for a row's check.
bool makeSpecial(const QString& kind, const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == u"named pipe")
        return ::mkfifo(name.constData(), 0644) == 0;
    if (kind == u"folder")
        return QDir().mkdir(path);
    if (kind == u"device") // a link to one: making a device needs root
        return QFile::link(u"/dev/null"_qs, path);
    if (kind == u"socket") {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return bound;
    }
    return false;
}

void specialRows()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"named pipe", "folder", "device", "socket"})
        QTest::addRow("%s", kind) << QString::fromLatin1(kind);
}
} // namespace

void TestSettingsFile::linkToSomethingElseIsRefused_data()
{
    specialRows();
}

void TestSettingsFile::linkToSomethingElseIsRefused()
{
    QFETCH(QString, kind);
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(u"target"_qs);
    QVERIFY(makeSpecial(kind, target));
    QVERIFY(QFile::link(target, settingsPath()));
    struct stat before {};
    QCOMPARE(::lstat(QFile::encodeName(target).constData(), &before), 0);

    SettingsFile file;
    if (kind == u"device") {
        // A device everyone may write is not ours: never followed; the settings go to the user's own file.
        QVERIFY(file.write(record(u"/new.mp3"_qs, QString(), 1, 0, 0)));
        QCOMPARE(contents(userFile()), QByteArray("\"/new.mp3\",\"\",1,0,0\r\n"));
    } else {
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^cannot save "_qs + QRegularExpression::escape(settingsPath()) +
                                                u": .*"_qs + QRegularExpression::escape(kind.section(u' ', -1))));
        QVERIFY(!file.write(record(u"/new.mp3"_qs, QString(), 1, 0, 0)));
        QVERIFY(!file.failure().isEmpty());
    }
    struct stat after {};
    QCOMPARE(::lstat(QFile::encodeName(target).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QVERIFY(QFileInfo(settingsPath()).isSymLink());
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"target"_qs});
}

void TestSettingsFile::specialFileIsNeverOpened_data()
{
    specialRows();
}

void TestSettingsFile::specialFileIsNeverOpened()
{
    QFETCH(QString, kind);
    QVERIFY(makeSpecial(kind, settingsPath()));
    // Opening a named pipe for reading waits for a writer that never comes: the watchdog ends the
    // test then instead of letting it hang.
    ::alarm(10);
    // A link to a device everyone may write is not followed: neither read nor written.
    const bool others = QFileInfo(settingsPath()).isSymLink();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(settingsPath()) + u".*: .+$"_qs));
    SettingsFile file;
    QVERIFY(!file.read());
    ::alarm(0);
    // Nor does the save replace it.
    if (!others)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*"_qs));
    QCOMPARE(file.write(record(QString(), QString(), 1, 0, 0)), others);
    QVERIFY(!QFileInfo(settingsPath()).isFile() || QFileInfo(settingsPath()).isSymLink());
}

void TestSettingsFile::readOrderBesideTheProgramFirst()
{
    QVERIFY(QDir().mkpath(userFolder()));
    put(userFile(), "\"/user.mp3\",\"01:00:00\",2,1,2\r\n");
    // A fresh copy in a folder of the user's own starts afresh and keeps its settings beside itself.
    SettingsFile portable;
    QVERIFY(!portable.read());
    QCOMPARE(portable.path(), settingsPath());

    put(settingsPath(), "\"/beside.mp3\",\"02:00:00\",3,1,2\r\n");
    SettingsFile beside;
    QCOMPARE(*beside.read()->soundPath, u"/beside.mp3"_qs);
    QCOMPARE(beside.path(), settingsPath());
    QVERIFY(beside.write(record(u"/saved.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(contents(userFile()), QByteArray("\"/user.mp3\",\"01:00:00\",2,1,2\r\n"));

    // A program folder that is read-only holds a file: it is still read.
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder));
    SettingsFile protectedFolder;
    QCOMPARE(*protectedFolder.read()->soundPath, u"/saved.mp3"_qs);
    // Without one there, it reads the user's.
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder | QFileDevice::WriteOwner));
    QVERIFY(QFile::remove(settingsPath()));
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder));
    SettingsFile fromUser;
    QCOMPARE(*fromUser.read()->soundPath, u"/user.mp3"_qs);
    QCOMPARE(fromUser.path(), userFile());
}

void TestSettingsFile::othersFilesAreNeverReadNorWritten()
{
    // A folder everyone can write, such as the temporary folder, is not the program's own.
    const QByteArray planted("\"/planted.mp3\",\"\",1,0,0\r\n");
    put(settingsPath(), planted);
    QVERIFY(QFile::setPermissions(m_folder->path(), QFileDevice::Permissions(0x7777)));
    QVERIFY(SettingsLocation::isSystemFolder(m_folder->path()));
    SettingsFile shared;
    QVERIFY(!shared.read());
    QVERIFY(shared.write(record(u"/mine.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(contents(settingsPath()), planted);
    QCOMPARE(contents(userFile()), QByteArray("\"/mine.mp3\",\"\",1,0,0\r\n"));

    // A link to another user's file (nobody's; root's are trusted): never followed, neither beside
    // the program nor in the user's folder, and no .bad copy of it.
    if (::geteuid() != 0)
        KESTRUNE_SKIP("giving a file to another user needs root");
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder | QFileDevice::WriteOwner));
    QTemporaryDir elsewhere;
    const QString theirs = elsewhere.filePath(u"theirs"_qs);
    put(theirs, "not a settings line");
    QCOMPARE(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
    const QByteArray before = contents(theirs);
    QVERIFY(QFile::remove(settingsPath()));
    QVERIFY(QFile::link(theirs, settingsPath()));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*is not read: .* belongs to another user.*"_qs));
    SettingsFile linked;
    QCOMPARE(*linked.read()->soundPath, u"/mine.mp3"_qs);
    QVERIFY(linked.write(record(u"/again.mp3"_qs, QString(), 1, 0, 0)));
    QVERIFY(QFile::remove(userFile()));
    QVERIFY(QFile::link(theirs, userFile()));
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot read .*another user.*"_qs));
    SettingsFile user;
    QVERIFY(!user.read());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*another user.*"_qs));
    QVERIFY(!user.write(record(u"/again.mp3"_qs, QString(), 1, 0, 0)));
    // Nor is a link in the place of the copy of a file not read whole.
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder | QFileDevice::WriteOwner));
    QVERIFY(QFile::remove(settingsPath()));
    put(settingsPath(), "\"/a.mp3\",\"07:00:00\",5\r\n");
    QVERIFY(QFile::link(theirs, settingsPath() + u".bad"_qs));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot read .*"_qs));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*\\.bad is not ours to replace"_qs));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*no copy of it could be kept"_qs));
    SettingsFile damaged;
    damaged.read();
    QVERIFY(!damaged.write(record(u"/again.mp3"_qs, QString(), 1, 0, 0)));
    QVERIFY(QFileInfo(settingsPath() + u".bad"_qs).isSymLink());
    QCOMPARE(contents(theirs), before);
    QCOMPARE(QDir(userFolder()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList{u"settings.txt"_qs});
}

void TestSettingsFile::systemFoldersAreNeverWritten_data()
{
    QTest::addColumn<QString>("where");
    QTest::addRow("/usr/bin") << u"/usr/bin"_qs;
    QTest::addRow("a folder under /opt") << u"/opt"_qs;
    QTest::addRow("a folder of another user") << u"other"_qs;
}

void TestSettingsFile::systemFoldersAreNeverWritten()
{
    QFETCH(QString, where);
    if (::geteuid() != 0 && where != u"/usr/bin")
        KESTRUNE_SKIP("needs root to make a folder under /opt or give one to another user");
    std::unique_ptr<QTemporaryDir> made;
    QString folder = where;
    if (where == u"/opt") {
        made = std::make_unique<QTemporaryDir>(u"/opt/kestrune-test-XXXXXX"_qs);
        QVERIFY(made->isValid());
        folder = made->path();
    } else if (where == u"other") {
        folder = m_folder->path();
        // nobody
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
    }
    ExecutableFolder::setOverride(folder);
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    QVERIFY(SettingsLocation::isSystemFolder(folder));

    SettingsFile first;
    QVERIFY(!first.read());
    QCOMPARE(first.path(), userFile());
    QVERIFY(first.write(record(u"/a.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(contents(userFile()), QByteArray("\"/a.mp3\",\"\",1,0,0\r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);

    if (where == u"/usr/bin")
        return;
    // A file beside such a program is read while the user has none; the save still goes to the
    // user's, which is read from then on.
    QFile::remove(userFile());
    const QByteArray preset("\"/preset.mp3\",\"\",1,0,0\r\n");
    put(QDir(folder).filePath(u"settings.txt"_qs), preset);
    SettingsFile second;
    // Only one the system put there: a folder of another user is theirs to fill.
    QCOMPARE(second.read().has_value(), where != u"other");
    QVERIFY(second.write(record(u"/mine.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(contents(QDir(folder).filePath(u"settings.txt"_qs)), preset);
    SettingsFile third;
    QCOMPARE(*third.read()->soundPath, u"/mine.mp3"_qs);
    if (where == u"other")
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), ::geteuid(), ::getegid()), 0);
}

void TestSettingsFile::perUserFileFollowsTheEnvironment()
{
    QCOMPARE(SettingsLocation::perUser(), userFile());
    QTemporaryDir home;
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    QCOMPARE(SettingsLocation::perUser(), home.filePath(u".config/kestrune/settings.txt"_qs));
    // A relative XDG_CONFIG_HOME does not count.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    QCOMPARE(SettingsLocation::perUser(), home.filePath(u".config/kestrune/settings.txt"_qs));
}

void TestSettingsFile::noUsableHomeSaysItCannotSave_data()
{
    QTest::addColumn<QByteArray>("home");
    QTest::addRow("HOME unset") << QByteArray();
    QTest::addRow("HOME is /") << QByteArray("/");
    QTest::addRow("HOME read-only") << QByteArray("read-only");
    QTest::addRow("HOME missing") << QByteArray("/nonexistent/kestrune-home");
    QTest::addRow("HOME of another user") << QByteArray("other");
}

void TestSettingsFile::noUsableHomeSaysItCannotSave()
{
    QFETCH(QByteArray, home);
    QTemporaryDir readOnlyHome;
    qunsetenv("XDG_CONFIG_HOME");
    if (home.isEmpty()) {
        qunsetenv("HOME");
    } else if (home == "read-only") {
        QVERIFY(QFile::setPermissions(readOnlyHome.path(), readOnlyFolder));
        qputenv("HOME", QFile::encodeName(readOnlyHome.path()));
    } else if (home == "other") {
        // sudo keeping HOME: root's shared temporary folder to a normal user, nobody's folder to root
        if (::geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(readOnlyHome.path()).constData(), 65534, 65534), 0);
        qputenv("HOME", ::geteuid() == 0 ? QFile::encodeName(readOnlyHome.path()) : QByteArray("/tmp"));
    } else {
        qputenv("HOME", home);
    }
    QCOMPARE(SettingsLocation::perUser(), QString());
    // The program lives where it never writes: there is nowhere to save.
    ExecutableFolder::setOverride(u"/usr/bin"_qs);
    const bool rootConfigThere = QFileInfo::exists(u"/.config/kestrune"_qs);

    SettingsFile file;
    QVERIFY(!file.read());
    QCOMPARE(file.path(), QString());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot save .*home folder.*"_qs));
    QVERIFY(!file.write(record(u"/a.mp3"_qs, QString(), 1, 0, 0)));
    QVERIFY(file.failure().contains(u"home folder"_qs));
    QCOMPARE(QFileInfo::exists(u"/.config/kestrune"_qs), rootConfigThere);
    QVERIFY(!QFileInfo::exists(readOnlyHome.filePath(u".config"_qs)));
    QFile::setPermissions(readOnlyHome.path(), readOnlyFolder | QFileDevice::WriteOwner);
}

void TestSettingsFile::unchangedTextKeepsItsBytes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addRow("Latin-1 sound path") << QByteArray("\"/home/zo\xeb/R\xe9veil.mp3\",\"07:00:00\",5,1,2\r\n");
    QTest::addRow("Latin-1 alarm text") << QByteArray("\"/a.mp3\",\"7\xb0\x33\x30\",5,1,2\r\n");
    QTest::addRow("UTF-8 and Latin-1 side by side")
        << QByteArray("\"/home/zo\xc3\xab/x.mp3\",\"caf\xe9\",5,-2147483640,12648447\r\n");
    QTest::addRow("C1 bytes") << QByteArray("\"\x80\x81\x9f\",\"\xff\",1,0,0\r\n");
    QTest::addRow("byte order mark in a text") << QByteArray("\"\xef\xbb\xbfx\",\"\",1,0,0\r\n");
}

void TestSettingsFile::unchangedTextKeepsItsBytes()
{
    QFETCH(QByteArray, line);
    put(settingsPath(), line);
    SettingsFile file;
    const std::optional<SettingsRecord> read = file.read();
    QVERIFY(read);
    QVERIFY(!read->soundPath->contains(QChar(0xfffd)));
    // What the window hands back holds no encoding: the file remembers it.
    SettingsRecord fromWindow = *read;
    fromWindow.soundPathEncoding = fromWindow.alarmTimeEncoding = SettingsEncoding::Utf8;
    QVERIFY(file.write(fromWindow));
    QCOMPARE(contents(settingsPath()), line);
    QVERIFY(!QFile::exists(settingsPath() + u".bad"_qs));
}

void TestSettingsFile::changedTextIsWrittenAsUtf8()
{
    put(settingsPath(), "\"/home/zo\xeb/x.mp3\",\"caf\xe9\",5,1,2\r\n");
    SettingsFile file;
    SettingsRecord changed = *file.read();
    changed.soundPath = u"/home/zoë/neu.mp3"_qs;
    QVERIFY(file.write(changed));
    QCOMPARE(contents(settingsPath()), QByteArray("\"/home/zo\xc3\xab/neu.mp3\",\"caf\xe9\",5,1,2\r\n"));
}

void TestSettingsFile::utf16FileIsReadAndRewrittenAsUtf8_data()
{
    QTest::addColumn<QByteArray>("content");
    const QString line = u"\"/home/zoë/wecker.mp3\",\"06:30:00\",7,255,65280\r\n"_qs;
    QByteArray little("\xff\xfe"), big("\xfe\xff");
    for (const QChar c : line) {
        little += char(c.unicode() & 0xff);
        little += char(c.unicode() >> 8);
        big += char(c.unicode() >> 8);
        big += char(c.unicode() & 0xff);
    }
    QTest::addRow("little-endian") << little;
    QTest::addRow("big-endian") << big;
}

void TestSettingsFile::utf16FileIsReadAndRewrittenAsUtf8()
{
    QFETCH(QByteArray, content);
    put(settingsPath(), content);
    SettingsFile file;
    const std::optional<SettingsRecord> read = file.read();
    QVERIFY(read);
    QCOMPARE(describe(*read), describe(record(u"/home/zoë/wecker.mp3"_qs, u"06:30:00"_qs, 7, 255, 65280)));
    QVERIFY(file.write(*read));
    QCOMPARE(contents(settingsPath()), QByteArray("\"/home/zo\xc3\xab/wecker.mp3\",\"06:30:00\",7,255,65280\r\n"));
    QVERIFY(!QFile::exists(settingsPath() + u".bad"_qs));
}

void TestSettingsFile::unreadableFileIsKeptAsBad_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addRow("NUL in a text") << QByteArray("\"/a\0b.mp3\",\"07:00:00\",5,1,2\r\n", 29);
    QTest::addRow("unterminated quote") << QByteArray("\"/a.mp3\",\"07:00:00,5,1,2\r\n");
    QTest::addRow("line break in a quote") << QByteArray("\"/a\r\nb.mp3\",\"07:00:00\",5,1,2\r\n");
    QTest::addRow("three fields") << QByteArray("\"/a.mp3\",\"07:00:00\",5\r\n");
    QTest::addRow("letters for a number") << QByteArray("\"/a.mp3\",\"07:00:00\",five,1,2\r\n");
    QTest::addRow("broken UTF-16") << QByteArray("\xff\xfe\"\0a\0\"\0,", 9);
    QTest::addRow("longer than the read limit")
        << QByteArray("\"/a.mp3\",\"") + QByteArray(2 << 20, 'x') + QByteArray("\",5,1,2\r\n");
}

void TestSettingsFile::unreadableFileIsKeptAsBad()
{
    QFETCH(QByteArray, content);
    const QString bad = settingsPath() + u".bad"_qs;
    put(bad, "an older case");
    put(settingsPath(), content);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^cannot read .*"_qs));
    SettingsFile file;
    file.read();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*could not be read whole; the old file is kept as "_qs +
                                                          QRegularExpression::escape(bad) + u"$"_qs));
    QVERIFY(file.write(record(u"/new.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(contents(bad), content);
    QCOMPARE(contents(settingsPath()), QByteArray("\"/new.mp3\",\"\",1,0,0\r\n"));
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{u"settings.txt"_qs, u"settings.txt.bad"_qs}));
}

void TestSettingsFile::goodFileLeavesNoBadCopy()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    put(settingsPath(), "\"/a.mp3\",\"07:00:00\",5,1,2\r\n\"trailing\",\"lines\"\r\n");
    SettingsFile file;
    QVERIFY(file.read());
    QVERIFY(file.write(record(u"/new.mp3"_qs, QString(), 1, 0, 0)));
    // An empty file holds nothing to keep either.
    put(settingsPath(), QByteArray());
    SettingsFile empty;
    empty.read();
    QVERIFY(empty.write(record(u"/new.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.txt"_qs});
}

void TestSettingsFile::madeUnderADefaultAclIsTheUsersAlone()
{
    // A default ACL letting another user write is handed to what is made below it: the settings'
    // folder and a first save are made the user's alone all the same.
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder));
    // The folders, with their lists, go at cleanup().
    const auto inherit = [](const QString& folder) {
        return QDir().mkpath(folder) && !QProcess::execute(u"setfacl"_qs, {u"-dm"_qs, u"u:nobody:rwx"_qs, folder});
    };
    QVERIFY(inherit(m_config.path()));
    QVERIFY(SettingsFile().write(record(u"/a.mp3"_qs, QString(), 1, 0, 0)));
    QVERIFY(inherit(userFolder()) && QFile::remove(userFile()));
    QVERIFY(SettingsFile().write(record(u"/b.mp3"_qs, QString(), 1, 0, 0)));
    for (const QString& made : {userFolder(), userFile()})
        QVERIFY2(PathTrust::whyUntrusted(made).isEmpty(), qPrintable(made + PathTrust::whyUntrusted(made)));
    QCOMPARE(SettingsFile().read()->soundPath.value_or(QString()), u"/b.mp3"_qs);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "TestSettingsFile.moc"
