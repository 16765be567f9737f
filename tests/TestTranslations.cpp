#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "alarm/WakePolicy.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "app/NotSetNotice.h"
#include "app/RingNotification.h"
#include "app/SleepWarning.h"
#include "app/Translations.h"
#include "controls/CommonDialog.h"
#include "core/ClockZoneWatcher.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"
#include "mock/DesktopDoubles.h"
#include "mock/RecordingNotifier.h"
#include "platform/ScreenWake.h"
#include "ui/FormTables.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTranslator>

// Every text the program shows or says is in the user's language; what is data (the clock, the
// alarm time, the settings line) is the same in all of them.
class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    void init() { m_desk.reset(); }
    void cleanup() { Translations::load(QLocale::c()); }
    void everyShownTextIsTranslated();
    void arabicIsMirroredAndKeepsTheData();
    void translationsFitTheirControls();

private:
    DesktopDoubles m_desk;
};

namespace {
QStringList textsOf(const Form& form)
{
    QStringList texts{form.windowTitle()};
    for (const QWidget* w : form.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(w);
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        const auto* box = qobject_cast<const QLineEdit*>(w);
        texts << w->accessibleName()
              << (label    ? label->text()
                  : button ? button->text()
                  : box    ? box->text()
                           : QString());
    }
    for (const QAction* action : form.findChildren<QAction*>())
        texts << action->text();
    return texts;
}
} // namespace

void TestTranslations::everyShownTextIsTranslated()
{
    // Each translation is its text behind a mark, made by lrelease -markuntranslated from the German
    // catalogue: a text not passed through tr(), or missing from the catalogues, shows without it.
    const QString mark = QStringLiteral(PSEUDO_MARK);
    QTranslator pseudo;
    QVERIFY(pseudo.load(QStringLiteral(PSEUDO_QM)));
    QCoreApplication::installTranslator(&pseudo);
    const auto removed = qScopeGuard([&pseudo] { QCoreApplication::removeTranslator(&pseudo); });
    QFile damaged(m_desk.settingsPath());
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("\"/x.mp3\",\"07:30:00\"") > 0);
    damaged.close();
    Form1& main = Forms::form1();
    QTest::qWait(10); // the damaged file's message
    RecordingNotifier notifier;
    ScreenWake screen;
    RingNotification ring(main.commands(), main, notifier, screen);
    NotSetNotice(main.commands(), &main, notifier).show();
    SleepWarning warning(main.wakePolicy(), notifier);
    QStringList texts{ClockZoneWatcher::notUsedNotice(QStringLiteral("/")), AlarmEngine::soundFilter()};
    for (const QStringList& line : {QStringList{"--help"}, {"--bogus"}, {"--off", "--sleep"}, {"extra"}})
        texts << CommandLine::parse(QStringList{"kestrune"} + line).text();
    const auto at = [&](QTime time, void (AlarmEngine::*tick)()) {
        m_desk.clock.set(time);
        (main.engine().*tick)();
        texts << textsOf(main);
    };

    // Each refusal; an alarm without sound that rings, is snoozed, rings again and is switched off;
    // a sleep it cannot wake from; a ring nobody answers; a time missed.
    main.engine().SoundPath.clear();
    main.trySound()->trigger();
    main.Command1()->click();
    main.commands().tell(main.commands().off());
    main.commands().tell(main.commands().sleep());
    CommonDialog::answerNextOpen(m_desk.dir.filePath(QStringLiteral("two\nlines.mp3")));
    main.Command4()->click();
    main.engine().SoundPath = m_desk.dir.filePath(QStringLiteral("wake.mp3"));
    m_desk.player->outputProblem = QStringLiteral("gone");
    for (const char* time : {"7:30", "07:30:00"}) {
        main.Text2()->setText(QString::fromLatin1(time));
        main.Command1()->click();
    }
    main.commands().tell(main.commands().arm());
    at(QTime(7, 30), &AlarmEngine::Timer3_Timer);
    at(QTime(7, 30), &AlarmEngine::Timer1_Timer);
    QTRY_VERIFY(main.engine().ringSilent());
    main.Command3()->click();
    at(QTime(7, 30, 1), &AlarmEngine::Timer4_Timer);
    at(QTime(7, 31), &AlarmEngine::Timer6_Timer);
    main.Command2()->click();
    emit main.wakePolicy().sleepingUnwoken(QStringLiteral("07:30:00"));
    emit main.engine().ringUnanswered(QStringLiteral("07:30:00"));
    main.Command1()->click();
    at(QTime(7, 29), &AlarmEngine::Timer3_Timer);
    at(QTime(7, 45), &AlarmEngine::Timer3_Timer);
    QCOMPARE(main.Text5()->text(), mark + QStringLiteral("Missed"));
    texts << textsOf(Forms::form2()) << textsOf(Forms::form3());
    for (const RecordingNotifyIcon::Call& call : m_desk.tray.calls)
        texts << call.data.szTip.section(QChar(0), 0, 0).split(QStringLiteral(" - "));
    for (const MessageBox::Shown& box : m_desk.boxes)
        texts << box.caption << box.text.split(QStringLiteral("\n\n"));
    for (const DesktopNotifier::Content& shown : notifier.shown) {
        texts << shown.summary << shown.body.split(u'\n');
        for (qsizetype i = 1; i < shown.actions.size(); i += 2)
            texts << shown.actions[i];
    }

    // Only data and names go without the mark: the clock, the minutes, the program's name, its
    // version line and addresses, and the days of the week as the locale names them.
    const QRegularExpression data(QStringLiteral("^(|\\d\\d:\\d\\d:\\d\\d|\\d+|-|Kestrune|Kestrune v2\\.0   |"
                                                 "hello@kestrune\\.example|https://kestrune\\.example/|"
                                                 "(Mon|Tues|Wednes|Thurs|Fri|Satur|Sun)day)$"));
    for (const QString& text : std::as_const(texts))
        QVERIFY2(text.startsWith(mark) || data.match(text).hasMatch(), qPrintable(text));
    QCOMPARE(m_desk.boxes.size(), 8);
    QCOMPARE(notifier.shown.size(), 7);
}

void TestTranslations::arabicIsMirroredAndKeepsTheData()
{
    // LANG=C shows the texts as written, whatever LANGUAGE asks.
    for (const char* c : {"", "C", "POSIX", "C.UTF-8"})
        QVERIFY(Translations::asWritten(c) && !Translations::asWritten("ar_EG.UTF-8"));
    // English named before one of the catalogues keeps the texts as written.
    QCOMPARE(Translations::catalogueFor({"pt-BR", "fr-CA", "fr", "de"}), QStringLiteral("fr"));
    QCOMPARE(Translations::catalogueFor({"en-GB", "de"}), QString());
    QVERIFY(Translations::load(QLocale(QLocale::Arabic, QLocale::Egypt)));
    QCOMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);
    Form1& main = Forms::form1();
    // Each place mirrored across its container: ON lies at the right, Tray at its frame's left.
    for (const char* name : {"Command1", "Command5", "Text1"}) {
        const ControlRow* row = FormTables::form1().control(name);
        const int across = row->container ? FormTables::form1().control(row->container)->width : 5400;
        QCOMPARE(main.require<QWidget>(name)->x(), (across - row->left - row->width) / 15);
    }
    QVERIFY(main.mnutray()->isRightToLeft());
    // The clock and the alarm keep their ASCII text, and the settings line is the one English writes.
    main.engine().Timer4_Timer();
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9]{2}:[0-9]{2}:[0-9]{2}$")).match(main.Text1()->text()).hasMatch());
    main.engine().SoundPath = QStringLiteral("/music/dawn.mp3");
    main.Text2()->setText(QStringLiteral("06:45:00"));
    main.Command1()->click();
    QVERIFY(main.engine().armed());
    Forms::unloadForm1();
    QFile saved(m_desk.settingsPath());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("\"/music/dawn.mp3\",\"06:45:00\",1,-2147483640,12648447\r\n"));
}

void TestTranslations::translationsFitTheirControls()
{
    // The windows are tables of fixed places: a caption wider than its button or label is cut.
    for (const char* language : {"de", "fr", "es", "ar"}) {
        QVERIFY(Translations::load(QLocale(QString::fromLatin1(language))));
        m_desk.closeAllWindows();
        for (const Form* form : std::initializer_list<const Form*>{&Forms::form1(), &Forms::form2(), &Forms::form3()}) {
            for (const QWidget* w : form->findChildren<QWidget*>()) {
                const auto* label = qobject_cast<const QLabel*>(w);
                const auto* button = qobject_cast<const QPushButton*>(w);
                const QString text = label && !label->wordWrap() ? label->text() : button ? button->text() : QString();
                const int wide = w->fontMetrics().horizontalAdvance(QString(text).remove(u'&'));
                const int room = w->width() - (button ? 8 : 0); // inside the skin's border
                QVERIFY2(wide <= room,
                         qPrintable(QStringLiteral("%1 %2: %3 > %4").arg(language, text).arg(wide).arg(room)));
            }
        }
    }
}

QTEST_MAIN(TestTranslations)
#include "TestTranslations.moc"
