#include "controls/TextBox.h"
#include "ui/Form.h"
#include "ui/FormTables.h"

#include <QApplication>
#include <QProcess>
#include <QScrollBar>
#include <QTest>

// A window asks for its controls by name once, when it is built. A name that is not in its table,
// or a control of another type, must stop the program there and then, saying which, in every build:
// never a null pointer for a handler to find later.
class TestRequiredControls : public QObject {
    Q_OBJECT

private slots:
    void presentControlIsHandedOver();
    void missingOrMistypedControlStopsTheStart_data();
    void missingOrMistypedControlStopsTheStart();
};

namespace {
// Builds the About window's table and asks for one control, as a window's constructor does.
int buildAndRequire(const QString& what)
{
    Form form(FormTables::form2());
    if (what == QLatin1String("missing"))
        form.require<TextBox>("Text99");
    else if (what == QLatin1String("mistyped"))
        form.require<QScrollBar>("Text3");
    else if (what == QLatin1String("menu"))
        form.requireMenuItem("nosuchitem");
    return 0;
}
} // namespace

void TestRequiredControls::presentControlIsHandedOver()
{
    Form form(FormTables::form2());
    TextBox* box = form.require<TextBox>("Text3");
    QVERIFY(box != nullptr);
    QCOMPARE(box->objectName(), QStringLiteral("Text3"));
}

void TestRequiredControls::missingOrMistypedControlStopsTheStart_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("named");
    QTest::addRow("name not in the table") << "missing"
                                           << "Text99";
    QTest::addRow("control of another type") << "mistyped"
                                             << "Text3";
    QTest::addRow("menu item not in the table") << "menu"
                                                << "nosuchitem";
}

void TestRequiredControls::missingOrMistypedControlStopsTheStart()
{
    QFETCH(QString, what);
    QFETCH(QString, named);
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--build-and-require"), what});
    QVERIFY(child.waitForFinished(30000));
    const QString said = QString::fromLocal8Bit(child.readAll());
    QVERIFY2(child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0, qPrintable(said));
    QVERIFY2(said.contains(named), qPrintable(said));
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--build-and-require")
        return buildAndRequire(QString::fromLocal8Bit(argv[2]));
    TestRequiredControls test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestRequiredControls.moc"
