#include "wake/WakeRequest.h"

#include <QTest>

// The wake program's input: only a plain number of seconds, ahead, within two days.
class TestWakeRequest : public QObject {
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("accepted");
        const QByteArray now = QByteArray::number(qint64(Now));
        QTest::newRow("a minute ahead") << QByteArray::number(qint64(Now) + 60) << true;
        QTest::newRow("two days ahead") << QByteArray::number(qint64(Now) + 172800) << true;
        QTest::newRow("a second more") << QByteArray::number(qint64(Now) + 172801) << false;
        QTest::newRow("now") << now << false;
        QTest::newRow("past") << QByteArray::number(qint64(Now) - 1) << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("sign") << "+" + QByteArray::number(qint64(Now) + 60) << false;
        // Read as a digit, ':' would make it a time 70 s ahead.
        QTest::newRow("not a digit") << QByteArray::number(qint64(Now) / 10 + 6) + ":" << false;
        QTest::newRow("space") << QByteArray::number(qint64(Now) + 60) + " " << false;
        QTest::newRow("huge") << QByteArray(40, '9') << false;
        QTest::newRow("too long") << QByteArray(65, '1') << false;
    }
    void rules()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, accepted);
        const WakeRequest request = WakeRequest::parse(std::string_view(line.constData(), line.size()), Now);
        QCOMPARE(request.accepted(), accepted);
        QCOMPARE(request.refusal() == nullptr, accepted);
        if (accepted)
            QCOMPARE(qint64(request.when()), line.toLongLong());
    }

private:
    static constexpr time_t Now = 1767600000;
};

QTEST_MAIN(TestWakeRequest)
#include "TestWakeRequest.moc"
