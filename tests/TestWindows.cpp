#include "alarm/AlarmEngine.h"
#include "alarm/SnoozeMinutes.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "controls/Skin.h"
#include "core/ColorValue.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"
#include "mock/DesktopDoubles.h"

#include <QAccessible>
#include <QAction>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

// The shell around the alarm: the Options and About windows, and the main window's own buttons.
class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void tabOrderAndFirstFocus();
    void colourValuesRoundTrip();
    void windowsCreatedOnReferenceAndAfreshAfterUnload();
    void init();
    void cleanup();

    void mainWindowStartsDisarmed();
    void windowsMatchTheirTables_data();
    void windowsMatchTheirTables();
    void menusOfTheMainWindow();
    void textBoxesReadWhole_data();
    void textBoxesReadWhole();
    void trayCreatesTheOtherWindowsHidden();
    void optionsButtonAndMenuShowOptions();
    void optionsCloseBoxOnlyHides();
    void exitWithBothOpenClosesEverything();
    void closeBoxRunsTheSameShutdown();

    void colourButtonsColourBothBoxes();
    void cancelledPickerLeavesTheClockAsItWas();
    void minutesFlowFromBarToBoxToSnooze();
    void typedMinutes_data();
    void typedMinutes();

    void aboutTexts();
    void aboutLinks();

private:
    DesktopDoubles m_desk;
    int m_mainUnloaded = 0;
};

void TestWindows::initTestCase()
{
    QVERIFY(m_desk.dir.isValid());
    Forms::setOnMainUnloaded([this] { ++m_mainUnloaded; });
}

void TestWindows::init()
{
    QLocale::setDefault(QLocale::c());
    m_desk.reset();
    m_mainUnloaded = 0;
}

void TestWindows::cleanup()
{
    m_desk.closeAllWindows();
}

void TestWindows::mainWindowStartsDisarmed()
{
    Form1& f = Forms::form1();
    QVERIFY(f.Command1()->isEnabled());
    QVERIFY(!f.Command2()->isEnabled());
    QVERIFY(!f.Command3()->isEnabled());
    QCOMPARE(f.Text5()->text(), QStringLiteral("Not Set"));
    QVERIFY(f.Text2()->text().isEmpty());
    QVERIFY(f.engine().SoundPath.isEmpty());
    QCOMPARE(f.HScroll1()->value(), -3000);
    QVERIFY(!f.HScroll1()->isVisibleTo(&f));
    QCOMPARE(f.MediaPlayer1()->Volume(), -3000);
}

void TestWindows::windowsMatchTheirTables_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addRow("main") << 1 << "Kestrune" << QSize(360, 136);
    QTest::addRow("about") << 2 << "About" << QSize(361, 161);
    QTest::addRow("options") << 3 << "Options" << QSize(293, 114);
}

void TestWindows::windowsMatchTheirTables()
{
    QFETCH(int, which);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    Form* form = which == 1   ? static_cast<Form*>(&Forms::form1())
                 : which == 2 ? static_cast<Form*>(&Forms::form2())
                              : &Forms::form3();
    QCOMPARE(form->windowTitle(), caption);
    QCOMPARE(form->clientArea()->size(), client);
    QVERIFY(!(form->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!form->isVisible());
}

void TestWindows::menusOfTheMainWindow()
{
    Form1& f = Forms::form1();
    QStringList bar;
    for (QAction* a : f.menuBar()->actions())
        bar << a->text();
    // An & marks the key that picks the entry (with Alt on the bar); it is not shown.
    QCOMPARE(bar, QStringList({"&Menu", "&About"}));
    QStringList items;
    for (QAction* a : f.mnutray()->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(items, QStringList({"&Choose Alarm Sound", "&Try Alarm Sound", "&Repeat", "Skip &Next Ring",
                                 "Start At &Login", "&Options", "-", "E&xit"}));
    QVERIFY(f.about()->menu() == nullptr);
}

void TestWindows::textBoxesReadWhole_data()
{
    QTest::addColumn<int>("boundary");
    QTest::addColumn<int>("step"); // the piece before (-1), at (0) or after (1) the offset
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("piece"); // its text, start and end
    const int word = QAccessible::WordBoundary;
    QTest::addRow("word at the end") << word << 0 << 7 << "'' 7 7";
    QTest::addRow("word before the end") << word << -1 << 7 << "'Set' 4 7";
    QTest::addRow("nothing after the last word") << word << 1 << 5 << "'' 7 7";
    QTest::addRow("last character") << int(QAccessible::CharBoundary) << 0 << 6 << "'t' 6 7";
    QTest::addRow("line at the caret") << int(QAccessible::LineBoundary) << 0 << 7 << "'Not Set' 0 7";
}

void TestWindows::textBoxesReadWhole()
{
    QFETCH(int, boundary);
    QFETCH(int, step);
    QFETCH(int, offset);
    TextBox* box = Forms::form1().Text5();
    box->setText(QStringLiteral("Not Set"));
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(box)->textInterface();
    const auto type = QAccessible::TextBoundaryType(boundary);
    int from = -3, to = -3;
    const QString found = step < 0   ? text->textBeforeOffset(offset, type, &from, &to)
                          : step > 0 ? text->textAfterOffset(offset, type, &from, &to)
                                     : text->textAtOffset(offset, type, &from, &to);
    QTEST(QStringLiteral("'%1' %2 %3").arg(found).arg(from).arg(to), "piece");
    // The whole line is one run of one style, wherever asked.
    text->attributes(offset, &from, &to);
    QCOMPARE(QPair(from, to), QPair(0, 7));
}

void TestWindows::trayCreatesTheOtherWindowsHidden()
{
    Form1& f = Forms::form1();
    f.show();
    QVERIFY(!Forms::hasForm2());
    QVERIFY(!Forms::hasForm3());
    f.Command5()->click();
    QVERIFY(Forms::hasForm2());
    QVERIFY(Forms::hasForm3());
    QVERIFY(!Forms::form2().isVisible());
    QVERIFY(!Forms::form3().isVisible());
    // Offscreen there is no notification area: the window stays reachable, minimised.
    QVERIFY(f.isVisible() && f.isMinimized());
    // The skin is applied by the first show, not by the making of a hidden window.
    QCOMPARE(f.styleSheet(), Skin::styleSheet());
    QVERIFY(Forms::form3().styleSheet().isEmpty());
    Forms::form3().show();
    QCOMPARE(Forms::form3().styleSheet(), Skin::styleSheet());
}

void TestWindows::optionsButtonAndMenuShowOptions()
{
    Form1& f = Forms::form1();
    f.Command7()->click();
    QVERIFY(Forms::form3().isVisible());
    Forms::form3().Command1()->click();
    QVERIFY(!Forms::form3().isVisible());
    f.options()->trigger();
    QVERIFY(Forms::form3().isVisible());
    f.about()->trigger();
    QVERIFY(Forms::form2().isVisible());
    QVERIFY(!f.isVisible());
}

void TestWindows::optionsCloseBoxOnlyHides()
{
    Form3& options = Forms::form3();
    options.show();
    options.HScroll1()->setValue(17);
    QVERIFY(!options.close());
    QVERIFY(!options.isVisible());
    QVERIFY(Forms::hasForm3());
    QCOMPARE(Forms::form3().HScroll1()->value(), 17);
    QCOMPARE(Forms::form3().Text2()->text(), QStringLiteral("17"));
    QCOMPARE(m_mainUnloaded, 0);
}

void TestWindows::exitWithBothOpenClosesEverything()
{
    Form1& f = Forms::form1();
    f.show();
    Forms::form2().show();
    Forms::form3().show();
    f.Command6()->click();
    QVERIFY(!Forms::hasForm1());
    QVERIFY(!Forms::hasForm2());
    QVERIFY(!Forms::hasForm3());
    QCOMPARE(m_mainUnloaded, 1);
}

void TestWindows::closeBoxRunsTheSameShutdown()
{
    Form1& f = Forms::form1();
    f.show();
    Forms::form2().show();
    f.close();
    QVERIFY(!Forms::hasForm1());
    QVERIFY(!Forms::hasForm2());
    QCOMPARE(m_mainUnloaded, 1);
}

void TestWindows::colourButtonsColourBothBoxes()
{
    Form1& main = Forms::form1();
    Form3& options = Forms::form3();
    CommonDialog::answerNextColor(255);
    options.Command2()->click();
    QCOMPARE(main.Text1()->ForeColor(), 255);
    QCOMPARE(main.Text2()->ForeColor(), 255);
    QCOMPARE(main.Text1()->BackColor(), qint32(12648447));
    CommonDialog::answerNextColor(0x00ff00);
    options.Command3()->click();
    QCOMPARE(main.Text1()->BackColor(), 0x00ff00);
    QCOMPARE(main.Text2()->BackColor(), 0x00ff00);
    QCOMPARE(main.Text1()->ForeColor(), 255);
}

void TestWindows::cancelledPickerLeavesTheClockAsItWas()
{
    Form1& main = Forms::form1();
    Form3& options = Forms::form3();
    const qint32 fore = main.Text1()->ForeColor();
    const qint32 back = main.Text1()->BackColor();
    // A first cancel once painted the picker's starting black over the clock.
    CommonDialog::answerNextColor(std::nullopt);
    options.Command3()->click();
    CommonDialog::answerNextColor(std::nullopt);
    options.Command2()->click();
    for (TextBox* box : {main.Text1(), main.Text2()}) {
        QCOMPARE(box->ForeColor(), fore);
        QCOMPARE(box->BackColor(), back);
    }
    // Nor does a cancel after a choice bring that choice back to the other colour.
    CommonDialog::answerNextColor(255);
    options.Command2()->click();
    CommonDialog::answerNextColor(std::nullopt);
    options.Command3()->click();
    QCOMPARE(main.Text2()->ForeColor(), 255);
    QCOMPARE(main.Text2()->BackColor(), back);
}

void TestWindows::minutesFlowFromBarToBoxToSnooze()
{
    Form3& options = Forms::form3();
    QCOMPARE(options.Text2()->text(), QStringLiteral("1"));
    options.HScroll1()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(options.Text2()->text(), QStringLiteral("2"));
    QCOMPARE(SnoozeMinutes, qint16(2));
    options.HScroll1()->setValue(30);
    options.HScroll1()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(options.HScroll1()->value(), 30);
    QCOMPARE(SnoozeMinutes, qint16(30));
    // Typing moves the snooze; the bar only for a whole number it can show.
    options.Text2()->setText(QStringLiteral("45"));
    QCOMPARE(SnoozeMinutes, qint16(45));
    QCOMPARE(options.HScroll1()->value(), 30);
    options.Text2()->setText(QStringLiteral("12"));
    QCOMPARE(SnoozeMinutes, qint16(12));
    QCOMPARE(options.HScroll1()->value(), 12);
}

void TestWindows::typedMinutes_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("minutes");
    QTest::addRow("blanks around") << "C"
                                   << " 7 " << 7;
    QTest::addRow("half up to even") << "C"
                                     << "7.5" << 8;
    QTest::addRow("half down to even") << "C"
                                       << "6.5" << 6;
    QTest::addRow("German decimal comma") << "de_DE"
                                          << "7,5" << 8;
    QTest::addRow("letters keep the value") << "C"
                                            << "abc" << 3;
    QTest::addRow("empty keeps the value") << "C"
                                           << "" << 3;
    QTest::addRow("beyond 16 bits keeps the value") << "C"
                                                    << "40000" << 3;
    QTest::addRow("outside the bar is taken") << "C"
                                              << "45" << 45;
    QTest::addRow("negative") << "C"
                              << "-2" << -2;
}

void TestWindows::typedMinutes()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(int, minutes);
    QLocale::setDefault(QLocale(locale));
    Form3& options = Forms::form3();
    options.Text2()->setText(QStringLiteral("3"));
    options.Text2()->setText(typed);
    QCOMPARE(int(SnoozeMinutes), minutes);
}

void TestWindows::aboutTexts()
{
    Form2& about = Forms::form2();
    QCOMPARE(about.Text5()->text(), QStringLiteral("Kestrune v2.0   "));
    QCOMPARE(about.Text4()->text(), QStringLiteral("Designed and Programmed by:"));
    QCOMPARE(about.Text6()->text(), Form2::MailAddress);
    QCOMPARE(about.Text3()->text(), Form2::WebAddress);
    QCOMPARE(about.Text6()->ForeColor(), qint32(16711680));
    QCOMPARE(about.Text3()->BackColor(), qint32(12648447));
}

void TestWindows::aboutLinks()
{
    Form2& about = Forms::form2();
    about.show();
    QTest::mouseClick(about.Text4(), Qt::LeftButton);
    QTest::mouseClick(about.Text3(), Qt::LeftButton);
    QTest::mouseClick(about.Text6(), Qt::LeftButton);
    QTest::mouseClick(about.Text6(), Qt::LeftButton);
    // Typing into a link line changes nothing about its link.
    about.Text3()->setText(QStringLiteral("https://elsewhere.example/"));
    QTest::mouseClick(about.Text3(), Qt::LeftButton);
    QTest::mouseClick(about.Text5(), Qt::LeftButton);
    QTest::mouseClick(about.control<TextBox>("Text2"), Qt::LeftButton);
    const QList<QUrl> expected{QUrl("https://design.kestrune.example/"), QUrl("https://kestrune.example/"),
                               QUrl("mailto:hello@kestrune.example"), QUrl("mailto:hello@kestrune.example"),
                               QUrl("https://kestrune.example/")};
    QCOMPARE(m_desk.links.opened, expected);
    QVERIFY(about.isVisible());
}

void TestWindows::tabOrderAndFirstFocus()
{
    Form1& f = Forms::form1();
    QCOMPARE(f.tabOrder().value(0), f.Text1());
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), f.Text1());
    // No text cursor blinks in the clock, also after a new colour; the alarm box shows one.
    f.Text1()->setBackColor(qint32(0x00c0ffc0));
    QCOMPARE(f.Text1()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, f.Text1()), 0);
    QVERIFY(f.Text2()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, f.Text2()) > 0);
    // Disabled "OFF" and "Sleep" are skipped until they are enabled.
    f.Command1()->setFocus();
    QTest::keyClick(f.Command1(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.Command4());
    f.Command2()->setEnabled(true);
    f.Command1()->setFocus();
    QTest::keyClick(f.Command1(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.Command2());
}

void TestWindows::colourValuesRoundTrip()
{
    TextBox* box = Forms::form1().Text1();
    QCOMPARE(box->ForeColor(), qint32(-2147483640));
    QCOMPARE(box->BackColor(), qint32(12648447));
    box->setBackColor(255); // pure red
    QCOMPARE(box->BackColor(), qint32(255));
    QVERIFY(box->styleSheet().contains(QStringLiteral("#ff0000")));
    box->setForeColor(qint32(0x80000005u));
    QCOMPARE(quint32(box->ForeColor()), 0x80000005u);
}

void TestWindows::windowsCreatedOnReferenceAndAfreshAfterUnload()
{
    QVERIFY(!Forms::hasForm3());
    Form3& options = Forms::form3();
    QVERIFY(Forms::hasForm3());
    QVERIFY(!options.isVisible());
    options.HScroll1()->setValue(9);
    Forms::unloadForm3();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Forms::hasForm3());
    QCOMPARE(Forms::form3().HScroll1()->value(), 1);
    QCOMPARE(Forms::form3().Text2()->text(), QStringLiteral("1"));
}

QTEST_MAIN(TestWindows)
#include "TestWindows.moc"
