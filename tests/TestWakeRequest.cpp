#include "wake/WakeCaller.h"
#include "wake/WakeRequest.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The wake program's input: a request's number and a plain number of seconds, ahead, within eight
// days; and whom it serves.
class TestWakeRequest : public QObject {
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("accepted");
        const QByteArray id = "42 ";
        const QByteArray now = QByteArray::number(qint64(Now));
        QTest::newRow("a minute ahead") << id + QByteArray::number(qint64(Now) + 60) << true;
        QTest::newRow("eight days ahead") << id + QByteArray::number(qint64(Now) + 691200) << true;
        QTest::newRow("a second more") << id + QByteArray::number(qint64(Now) + 691201) << false;
        QTest::newRow("now") << id + now << false;
        QTest::newRow("past") << id + QByteArray::number(qint64(Now) - 1) << false;
        QTest::newRow("empty") << id << false;
        QTest::newRow("sign") << id + "+" + QByteArray::number(qint64(Now) + 60) << false;
        // Read as a digit, ':' would make it a time 70 s ahead.
        QTest::newRow("not a digit") << id + QByteArray::number(qint64(Now) / 10 + 6) + ":" << false;
        QTest::newRow("space") << id + QByteArray::number(qint64(Now) + 60) + " " << false;
        QTest::newRow("huge") << id + QByteArray(40, '9') << false;
        QTest::newRow("too long") << id + QByteArray(62, '1') << false;
        // Without the request's number, with one too long to be one, or too long a line: answered as request 0.
        QTest::newRow("no number") << QByteArray::number(qint64(Now) + 60) << false;
        QTest::newRow("number too long") << "1234567890 " + QByteArray::number(qint64(Now) + 60) << false;
    }
    void rules()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, accepted);
        const WakeRequest request = WakeRequest::parse(std::string_view(line.constData(), line.size()), Now);
        QCOMPARE(request.accepted(), accepted);
        QCOMPARE(request.refusal() == nullptr, accepted);
        QCOMPARE(request.id(), line.startsWith("42 ") && line.size() <= 64 ? 42u : 0u);
        if (accepted)
            QCOMPARE(qint64(request.when()), line.mid(3).toLongLong());
    }

    void caller_data()
    {
        QTest::addColumn<uint>("uid");
        QTest::addColumn<QByteArray>("sessions"); // logind's files, "id:UID=..;SEAT=..;REMOTE=.." apart by |
        QTest::addColumn<QByteArray>("own");      // this process's session, as the kernel reports it
        QTest::addColumn<bool>("served");
        QTest::newRow("regular, no logind") << 1000u << QByteArray() << QByteArray() << true;
        QTest::newRow("system account") << 999u << QByteArray() << QByteArray() << false;
        QTest::newRow("nobody") << 65534u << QByteArray() << QByteArray() << false;
        QTest::newRow("no account, no logind") << 1002u << QByteArray() << QByteArray() << false;
        QTest::newRow("its session on a seat")
            << 1000u << QByteArray("3:UID=1000;SEAT=seat0;REMOTE=0") << QByteArray("3") << true;
        QTest::newRow("its session remote")
            << 1000u << QByteArray("3:UID=1000;SEAT=seat0;REMOTE=1|4:UID=1000;SEAT=seat0") << QByteArray("3") << false;
        QTest::newRow("outside, a seat of its")
            << 1000u << QByteArray("4:UID=1001;SEAT=seat0|5:UID=1000;SEAT=seat0") << QByteArray("4294967295") << true;
        QTest::newRow("no session of its") << 1000u << QByteArray("4:UID=1001;SEAT=seat0") << QByteArray() << false;
    }
    void caller()
    {
        QFETCH(uint, uid);
        QFETCH(QByteArray, sessions);
        QFETCH(QByteArray, own);
        QFETCH(bool, served);
        QTemporaryDir dir;
        const auto put = [&dir](const QString& name, const QByteArray& text) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        };
        put(u"login.defs"_qs, "# regular users\nUID_MIN\t\t 1000\nUID_MAX 70000\n");
        put(u"passwd"_qs, "nobody:x:65534:65534:nobody:/nonexistent:/usr/sbin/nologin\n"
                          "me:x:1000:1000::/home/me:/bin/sh\nyou:x:1001:1001::/home/you:/bin/sh\n");
        put(u"sessionid"_qs, own);
        if (!sessions.isEmpty()) {
            QVERIFY(QDir(dir.path()).mkpath(u"run/system"_qs) && QDir(dir.path()).mkpath(u"run/sessions"_qs));
            for (const QByteArray& session : sessions.split('|')) {
                const QList<QByteArray> parts = session.split(':');
                put(u"run/sessions/"_qs + QString::fromLatin1(parts[0]),
                    QByteArray(parts[1]).replace(';', '\n') + '\n');
            }
        }
        const QByteArray base = QFile::encodeName(dir.path());
        const QByteArray defs = base + "/login.defs", passwd = base + "/passwd", run = base + "/run",
                         session = base + "/sessionid";
        const char* why =
            WakeCaller::refusal(uid, {defs.constData(), passwd.constData(), run.constData(), session.constData()});
        QVERIFY2((why == nullptr) == served, why);
    }

private:
    static constexpr time_t Now = 1767600000;
};

QTEST_MAIN(TestWakeRequest)
#include "TestWakeRequest.moc"
