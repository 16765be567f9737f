#include "platform/WindowProcs.h"

#include <QTest>
#include <QWidget>
#include <limits>

// The registry of window procedures the tray hook relies on: numbers that stand for procedures,
// handles that stand for windows, and what happens at their edges.
class TestWindowProcs : public QObject {
    Q_OBJECT

private slots:
    void init() { calls = 0; }

    void unknownProcedureNumbersCallNothing_data();
    void unknownProcedureNumbersCallNothing();
    void procedureNumbersAreStable();
    void destroyedWindowIsForgotten();
    void otherIndexChangesNothing();

private:
    static qint32 countingProc(qint32, quint32, qint32, qint32 lParam)
    {
        ++calls;
        return lParam + 1;
    }
    static qint32 otherProc(qint32, quint32, qint32, qint32) { return 7; }
    static inline int calls = 0;
};

void TestWindowProcs::unknownProcedureNumbersCallNothing_data()
{
    QTest::addColumn<qint64>("offsetFromKnown");
    // Relative to the last registered procedure's number; the step between numbers is 16.
    QTest::addRow("zero is no procedure") << qint64(std::numeric_limits<qint64>::min());
    QTest::addRow("one past the last") << qint64(16);
    QTest::addRow("far past the last") << qint64(16 * 1000);
    QTest::addRow("between two numbers") << qint64(1);
    QTest::addRow("just below the first") << qint64(-16 * 10000);
    QTest::addRow("largest number") << qint64(std::numeric_limits<qint64>::max());
    QTest::addRow("smallest number") << qint64(std::numeric_limits<qint64>::min() + 1);
}

void TestWindowProcs::unknownProcedureNumbersCallNothing()
{
    QFETCH(qint64, offsetFromKnown);
    const qint32 known = WindowProcs::addressOf(&countingProc);
    QCOMPARE(WindowProcs::callWindowProc(known, 0, 1, 0, 41), 42);
    QCOMPARE(calls, 1);
    qint32 proc = 0;
    if (offsetFromKnown == std::numeric_limits<qint64>::max())
        proc = std::numeric_limits<qint32>::max();
    else if (offsetFromKnown == std::numeric_limits<qint64>::min() + 1)
        proc = std::numeric_limits<qint32>::min();
    else if (offsetFromKnown != std::numeric_limits<qint64>::min())
        proc = qint32(known + offsetFromKnown);
    QCOMPARE(WindowProcs::callWindowProc(proc, 0, 1, 0, 41), 0);
    QCOMPARE(calls, 1);
}

void TestWindowProcs::procedureNumbersAreStable()
{
    const qint32 a = WindowProcs::addressOf(&countingProc);
    const qint32 b = WindowProcs::addressOf(&otherProc);
    QVERIFY(a != 0 && b != 0 && a != b);
    QCOMPARE(WindowProcs::addressOf(&countingProc), a);
    QCOMPARE(WindowProcs::addressOf(nullptr), 0);
    QCOMPARE(WindowProcs::callWindowProc(b, 0, 1, 0, 0), 7);
}

void TestWindowProcs::destroyedWindowIsForgotten()
{
    auto* window = new QWidget;
    const qint32 hWnd = WindowProcs::handleOf(window);
    QVERIFY(hWnd != 0);
    QCOMPARE(WindowProcs::handleOf(window), hWnd);
    QCOMPARE(WindowProcs::windowFor(hWnd), window);
    const qint32 counting = WindowProcs::addressOf(&countingProc);
    QCOMPARE(WindowProcs::setWindowLong(hWnd, WindowProcs::GWL_WNDPROC, counting), WindowProcs::defaultProcAddress());
    QCOMPARE(WindowProcs::sendMessage(hWnd, 2025, 0, 1), 2);

    delete window;
    // The handle now names nothing: no procedure runs, nothing is swapped, and a new window
    // never inherits the old handle.
    QCOMPARE(WindowProcs::windowFor(hWnd), nullptr);
    QCOMPARE(WindowProcs::sendMessage(hWnd, 2025, 0, 1), 0);
    QCOMPARE(calls, 1);
    QCOMPARE(WindowProcs::setWindowLong(hWnd, WindowProcs::GWL_WNDPROC, counting), 0);
    QCOMPARE(WindowProcs::getWindowLong(hWnd, WindowProcs::GWL_WNDPROC), 0);
    QWidget next;
    QVERIFY(WindowProcs::handleOf(&next) != hWnd);
    QCOMPARE(WindowProcs::handleOf(nullptr), 0);
}

void TestWindowProcs::otherIndexChangesNothing()
{
    QWidget window;
    const qint32 hWnd = WindowProcs::handleOf(&window);
    const qint32 counting = WindowProcs::addressOf(&countingProc);
    QCOMPARE(WindowProcs::setWindowLong(hWnd, -16, counting), 0);
    QCOMPARE(WindowProcs::getWindowLong(hWnd, WindowProcs::GWL_WNDPROC), WindowProcs::defaultProcAddress());
    QCOMPARE(WindowProcs::sendMessage(hWnd, 2025, 0, 1), 0);
    QCOMPARE(calls, 0);
}

QTEST_MAIN(TestWindowProcs)
#include "TestWindowProcs.moc"
