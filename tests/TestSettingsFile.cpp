#include "core/ExecutableFolder.h"
#include "core/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

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

private:
    QString settingsPath() const { return QDir(m_folder->path()).filePath(QStringLiteral("settings.txt")); }
    QString userFolder() const { return QDir(m_config.path()).filePath(QStringLiteral("kestrune")); }

    QTemporaryDir m_config;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestSettingsFile::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(m_config.isValid());
    // Before anything asks for the standard paths, so the user folder is a throw-away one.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
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
}

void TestSettingsFile::firstRunLineByteForByte()
{
    QVERIFY(SettingsFile::write(record(QString(), QString(), 1, windowText, lightYellow)));
    QCOMPARE(SettingsFile::path(), settingsPath());
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
    QTest::addRow("line break and comma in a text") << record(u"a\r\nb,c"_qs, u"x,y"_qs, 9, 0, 0);
    QTest::addRow("byte order marks in a text") << record(u"\uFEFF\uFEFF"_qs, u"\uFEFFx"_qs, 1, 0, 0);
    QTest::addRow("non-ASCII path") << record(u"/home/zoë/Wecker – früh.mp3"_qs, u"05:00:00"_qs, 15, 0, 0);
}

void TestSettingsFile::roundTrip()
{
    QFETCH(SettingsRecord, saved);
    QVERIFY(SettingsFile::write(saved));
    const std::optional<SettingsRecord> restored = SettingsFile::read();
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
    QTest::addRow("text cut off by the end") << QByteArray("\"a\",\"07:00:00,5,1,2\r\n")
                                             << record(u"a"_qs, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
    static const char junk[] = "\x00\x01\xff,\x80\x7f,\x00,\x1b[2J,\xfe";
    QTest::addRow("binary junk") << QByteArray(junk, sizeof junk - 1)
                                 << record(QString(QChar(0)) + QChar(1) + QChar(0xfffd),
                                           QString(QChar(0xfffd)) + QChar(0x7f), std::nullopt, std::nullopt,
                                           std::nullopt);
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
    QVERIFY(!SettingsFile::read());
}

void TestSettingsFile::readOnlyFileIsRead()
{
    put(settingsPath(), "\"/a.mp3\",\"08:00:00\",3,255,65280\r\n");
    QVERIFY(QFile::setPermissions(settingsPath(), readOnly));
    const std::optional<SettingsRecord> read = SettingsFile::read();
    QVERIFY(read);
    QCOMPARE(describe(*read), describe(record(u"/a.mp3"_qs, u"08:00:00"_qs, 3, 255, 65280)));
}

void TestSettingsFile::unreadableFileSaysWhy()
{
    // A folder in the file's place cannot be read, as root too.
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("settings.txt")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^kestrune: cannot read "_qs +
                                                          QRegularExpression::escape(settingsPath()) + u": .+$"_qs));
    QVERIFY(!SettingsFile::read());
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
    const QString path = SettingsFile::path();
    const QString folder = QFileInfo(path).absolutePath();
    QCOMPARE(folder == m_folder->path(), !inUserFolder);
    QVERIFY(QDir().mkpath(folder));
    const QByteArray old("\"/old.mp3\",\"09:00:00\",4,1,2\r\n");
    put(path, old);
    if (fileReadOnly)
        QVERIFY(QFile::setPermissions(path, readOnly));
    if (folderReadOnly)
        QVERIFY(QFile::setPermissions(folder, readOnlyFolder));

    QTest::ignoreMessage(QtWarningMsg, qPrintable(u"kestrune: cannot save "_qs + path + u": "_qs + reason));
    QVERIFY(!SettingsFile::write(record(u"/new.mp3"_qs, QString(), 1, 0, 0)));
    QCOMPARE(contents(path), old);
    // No half-written companion left behind either.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.txt"_qs});
}

void TestSettingsFile::saveThatRunsOutOfRoomKeepsTheOldFile()
{
#ifdef Q_OS_UNIX
    const QByteArray old("\"/old.mp3\",\"09:00:00\",4,1,2\r\n");
    put(settingsPath(), old);
    // A file size limit stands in for a full disk: the save fails part-way through its writing.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^kestrune: cannot save .*settings\\.txt: .+$"_qs));
    const bool written = SettingsFile::write(record(QString(65536, u'x'), QString(), 1, 0, 0));
    std::signal(SIGXFSZ, previousHandler);
    setrlimit(RLIMIT_FSIZE, &saved);

    QVERIFY(!written);
    QCOMPARE(contents(settingsPath()), old);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.txt"_qs});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestSettingsFile::unwritableProgramFolderFallsBackToTheUserFolder()
{
    QVERIFY(QFile::setPermissions(m_folder->path(), readOnlyFolder));
    const QString userFile = QDir(userFolder()).filePath(u"settings.txt"_qs);
    QCOMPARE(SettingsFile::path(), userFile);

    QVERIFY(!SettingsFile::read());
    const SettingsRecord saved = record(u"/b.mp3"_qs, u"10:00:00"_qs, 7, windowText, lightYellow);
    QVERIFY(SettingsFile::write(saved));
    QVERIFY(!QFile::exists(settingsPath()));
    QCOMPARE(contents(userFile), QByteArray("\"/b.mp3\",\"10:00:00\",7,-2147483640,12648447\r\n"));
    const std::optional<SettingsRecord> restored = SettingsFile::read();
    QVERIFY(restored);
    QCOMPARE(describe(*restored), describe(saved));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "TestSettingsFile.moc"
