#include "app/Application.h"

#include "alarm/AlarmCommands.h"
#include "alarm/WakePolicy.h"
#include "app/AlarmBus.h"
#include "app/CommandLine.h"
#include "app/Form1.h"
#include "app/Forms.h"
#include "app/ScriptCommand.h"
#include "app/SingleInstance.h"
#include "app/StartupWarmUp.h"
#include "app/Translations.h"
#include "controls/MessageBox.h"
#include "controls/SecondTicker.h"
#include "core/ClockZoneWatcher.h"
#include "core/LogCategories.h"
#include "platform/AfterFirstPaint.h"
#include "platform/CanberraAlarmSound.h"
#include "platform/Capabilities.h"
#include "platform/ChildEnvironment.h"
#include "platform/SessionEndWatcher.h"
#include "ui/ProgramIcon.h"

#include <QApplication>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTimer>

#include <malloc.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

void Application::showAtStart(const QStringList& arguments)
{
    const CommandLine::Action action = CommandLine::parse(arguments).action();
    // --set starts into the notification area as a start at login does, and is armed at once.
    const bool atLogin = action == CommandLine::Action::Tray;
    const bool inTray = atLogin || action == CommandLine::Action::Set;
    // In the notification area when there is one; without, the window is the only way back to it.
    if (!inTray || !QSystemTrayIcon::isSystemTrayAvailable())
        Forms::form1().show();
    // A repeating alarm set at the end is set again, before a start at login would say it is not.
    if (action != CommandLine::Action::Set)
        Forms::form1().resumeRepeatingAlarm();
    if (atLogin)
        Forms::form1().startedAtLogin();
}

int Application::run(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Read first, so that a script's command needs no display and starts no window.
    const CommandLine line = CommandLine::parse(arguments);
    switch (line.action()) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        std::fputs(line.text().toLocal8Bit().constData(), stdout);
        return ScriptCommand::Done;
    case CommandLine::Action::Refused:
        std::fprintf(stderr, "%s\n", line.text().toLocal8Bit().constData());
        return ScriptCommand::BadCommandLine;
    default:
        break;
    }
    // One program, one alarm: a later start asks the running one and leaves the settings alone.
    SingleInstance instance(SingleInstance::privateFolder());
    // Where the copy started for --set says whether it armed.
    int reportTo = -1;
    if (line.forRunningCopy()) {
        if (const std::optional<int> status = ScriptCommand::askRunning(line, instance))
            return *status;
        // --set and none running: a copy of its own in the background, before any thread exists.
        if (const std::optional<int> status = ScriptCommand::startInBackground(&reportTo))
            return *status;
    }
    // Before anything reads the time zone, and while this is the only thread to see TZ change.
    const QString unusedZone = ClockZoneWatcher::useUtcUnlessUsable();
    // First, while this is the only thread: the others inherit what is left.
    const char* failed = nullptr;
    Capabilities::trimProgram(failed);
    if (failed)
        qCInfo(lcPower, "cannot %s: %s", failed, strerror(errno));
    // Qt's theme for GNOME starts GTK, whose own accessibility bridge would list the program a second
    // time, empty: Qt's bridge is the one with the windows. Set while this is the only thread and
    // kept, since GTK's threads may read it later; a browser started for a link gets the user's own.
    ChildEnvironment::setForThisProcess("NO_AT_BRIDGE", "1");
    StartupWarmUp warmUp;
    QApplication app(argc, argv);
    warmUp.connectSessionBus();
    // The helper threads use the application object: they end before it, however this returns.
    const auto joined = qScopeGuard([&warmUp] { warmUp.finish(); });
    // The X11 class, the StatusNotifierItem's title and what assistive technology lists; the desktop
    // entry names this class as its StartupWMClass, and the Wayland app id is the entry's name.
    QApplication::setApplicationName(QStringLiteral("Kestrune"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRUNE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.kestrune.Kestrune"));
    // Only the main window's unload ends the program, whatever else is closed or hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon::icon());
    // Before anything is said or shown.
    Translations::install();
    // The ring's last resort; its library is loaded only if a ring ever needs it.
    CanberraAlarmSound alarmSound;
    DesktopAlarmSound::setInstance(&alarmSound);
    const auto uninstalled = qScopeGuard([] { DesktopAlarmSound::setInstance(nullptr); });

    const bool first = instance.claim([](const SingleInstance::Request& request) {
        if (!Forms::hasForm1())
            return SingleInstance::Reply{};
        Form1& form = Forms::form1();
        return ScriptCommand::answer(form.commands(), form.wakePolicy(), request);
    });
    if (!first && reportTo >= 0) {
        // Started for --set, but another start came first: that one is asked, for the waiting start.
        ScriptCommand::report(reportTo, instance.ask(ScriptCommand::request(line)).value_or(SingleInstance::Reply{}));
        return ScriptCommand::Failed;
    }
    if (!first) {
        if (!instance.askRunningToShow())
            qCWarning(lcInstance, "another Kestrune is running but did not answer");
        return 0;
    }

    // The clock and the alarm follow the system's time zone when it changes while the program runs.
    ClockZoneWatcher zone;
    Forms::setOnMainUnloaded([] { QCoreApplication::quit(); });
    // Asked to end from outside, the program ends as its "Exit" button ends it.
    SessionEndWatcher::install([] {
        // A box waiting for an answer, the one saying a save failed at Exit included, would hold
        // the end up: it is closed first.
        MessageBox::closeAll();
        if (Forms::hasForm1()) {
            Forms::form1().setEndedFromOutside();
            Forms::unloadForm1();
        }
    });
    showAtStart(arguments);
    Forms::form1().wakePolicy().follow(zone);
    // The alarm's second is another real moment now: a clock that sleeps while hidden looks again.
    QObject::connect(&zone, &ClockZoneWatcher::zoneChanged, &SecondTicker::instance(), &SecondTicker::clockChanged);
    AlarmBus::publish(Forms::form1().commands(), Forms::form1().wakePolicy(), &Forms::form1());
    if (line.action() == CommandLine::Action::Set) {
        QString refusal = Forms::form1().commands().arm(line.time());
        if (refusal.isEmpty() && !line.repeat().isEmpty())
            refusal = Forms::form1().commands().setRepeat(line.repeat());
        ScriptCommand::report(reportTo, SingleInstance::Reply{true, refusal.isEmpty(), refusal});
        // Refused, the copy started for it goes again: nothing is left changed.
        if (!refusal.isEmpty()) {
            Forms::form1().setEndedFromOutside();
            Forms::unloadForm1();
            return ScriptCommand::Failed;
        }
    }
    // What makes the alarm less to be trusted is told once, when the window is there to stand in
    // front of.
    const auto tell = [](const QStringList& notices) {
        if (Forms::hasForm1())
            MessageBox::warning(&Forms::form1(), MessageBox::title(), notices.join(QStringLiteral("\n\n")));
    };
    QStringList notices{ClockZoneWatcher::notUsedNotice(unusedZone), instance.notice()};
    notices.removeAll(QString());
    if (!notices.isEmpty())
        QTimer::singleShot(0, [tell, notices] { tell(notices); });
    // A zone file that becomes unusable while the program runs is told the same way.
    QObject::connect(&zone, &ClockZoneWatcher::unusable, [tell](const QString& notice) { tell({notice}); });
    // What start-up allocated and let go (font lists, the first layouts, what the warm-up threads
    // left in their arenas once their one task ran; they are joined only at the end) goes back to the
    // system once the window is up, rather than being kept for the whole day.
    AfterFirstPaint::run(&app, [] { QTimer::singleShot(1000, [] { ::malloc_trim(0); }); });
    return QApplication::exec();
}
