#include "app/CommandLine.h"

#include "app/Translations.h"
#include "core/RepeatDays.h"
#include "platform/AutostartEntry.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {
// Answered before the application exists, in the user's language all the same.
const char* const Help = QT_TRANSLATE_NOOP(
    "CommandLine", "Usage: kestrune [--tray | --set HH:MM:SS [--repeat DAYS] | --repeat DAYS | --off | --sleep |\n"
                   "                --skip | --unskip | --status]\n"
                   "\n"
                   "A desktop alarm clock. Without an option it shows its window; while it runs, a second start\n"
                   "brings the running one forward. The other options are sent to the running copy.\n"
                   "\n"
                   "  --tray            start in the notification area, without setting the alarm\n"
                   "  --set HH:MM:SS    set the alarm to this time, as typing it and pressing ON does; with no\n"
                   "                    copy running, one is started in the notification area\n"
                   "  --repeat DAYS     the days the alarm rings on: once, daily, weekdays, weekends, or days\n"
                   "                    such as mon,tue,fri; with --set for the time set, alone for the\n"
                   "                    running copy's alarm\n"
                   "  --off             switch the alarm off, as OFF does (at a ring of a repeating alarm,\n"
                   "                    it stays set for the next day)\n"
                   "  --sleep           snooze the ringing alarm, as Sleep does\n"
                   "  --skip            leave the next ring of a repeating alarm silent\n"
                   "  --unskip          take that skip back\n"
                   "  --status          print the alarm's state, a line for each value\n"
                   "  -h, --help        print this help\n"
                   "  -v, --version     print the version\n"
                   "\n"
                   "A refused command says why on standard error and ends with status 1, a command line not\n"
                   "understood with 2; when no copy runs, the options other than --tray and --set end with\n"
                   "status 3, and all of them with 4 when a copy runs but cannot be reached.\n");
const QString Version = QStringLiteral("Kestrune " KESTRUNE_VERSION "\n");
const char* const OnlyOne =
    QT_TRANSLATE_NOOP("CommandLine", "Give only one of --set, --repeat, --off, --sleep, --skip, --unskip, --status, "
                                     "--help and --version; --repeat may go with --set.");
const char* const BadRepeat =
    QT_TRANSLATE_NOOP("CommandLine", "--repeat takes once, daily, weekdays, weekends or days such as mon,tue, not %1.");
const char* const Unexpected = QT_TRANSLATE_NOOP("CommandLine", "Unexpected argument: %1. See kestrune --help.");
const char* const UnknownOption = QT_TRANSLATE_NOOP("CommandLine", "%1. See kestrune --help.");

QString shown(const char* text)
{
    return Translations::early("CommandLine", text);
}

// What a desktop launcher may leave in the command it runs when it has nothing to put in its place.
const QStringList FieldCodes{u"%f"_qs, u"%F"_qs, u"%u"_qs, u"%U"_qs, u"%d"_qs, u"%D"_qs, u"%n"_qs,
                             u"%N"_qs, u"%i"_qs, u"%c"_qs, u"%k"_qs, u"%v"_qs, u"%m"_qs};
// Qt's own options, which QApplication takes out of the command line itself.
const QStringList QtValueOptions{u"platform"_qs,    u"platformpluginpath"_qs, u"platformtheme"_qs,
                                 u"plugin"_qs,      u"qmljsdebugger"_qs,      u"qwindowgeometry"_qs,
                                 u"qwindowicon"_qs, u"qwindowtitle"_qs,       u"session"_qs,
                                 u"display"_qs,     u"geometry"_qs,           u"style"_qs,
                                 u"stylesheet"_qs};
const QStringList QtFlagOptions{u"reverse"_qs, u"widgetcount"_qs, u"nograb"_qs, u"dograb"_qs, u"sync"_qs};
} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt's options are single-dash words: -platform is one option, not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // The option the autostart entry gives.
    const QCommandLineOption tray(QString::fromLatin1(AutostartEntry::TrayOption).mid(2));
    const QCommandLineOption set(u"set"_qs, QString(), u"time"_qs);
    const QCommandLineOption repeat(u"repeat"_qs, QString(), u"days"_qs);
    const QCommandLineOption skip(u"skip"_qs);
    const QCommandLineOption unskip(u"unskip"_qs);
    const QCommandLineOption off(u"off"_qs);
    const QCommandLineOption sleep(u"sleep"_qs);
    const QCommandLineOption status(u"status"_qs);
    const QCommandLineOption help(QStringList{u"h"_qs, u"help"_qs});
    const QCommandLineOption version(QStringList{u"v"_qs, u"version"_qs});
    parser.addOptions({tray, set, repeat, skip, unskip, off, sleep, status, help, version});
    for (const QString& name : QtValueOptions)
        parser.addOption(QCommandLineOption(name, QString(), u"value"_qs));
    for (const QString& name : QtFlagOptions)
        parser.addOption(QCommandLineOption(name));

    CommandLine line;
    const auto refuse = [&line](const QString& why) {
        line.m_action = Action::Refused;
        line.m_text = why;
        return line;
    };
    if (!parser.parse(arguments))
        return refuse(shown(UnknownOption).arg(parser.errorText().chopped(parser.errorText().endsWith(u'.') ? 1 : 0)));
    for (const QString& argument : parser.positionalArguments()) {
        if (!FieldCodes.contains(argument))
            return refuse(shown(Unexpected).arg(argument));
    }
    const std::pair<const QCommandLineOption*, Action> actions[] = {
        {&set, Action::Set},   {&off, Action::Off},         {&sleep, Action::Sleep}, {&status, Action::Status},
        {&help, Action::Help}, {&version, Action::Version}, {&skip, Action::Skip},   {&unskip, Action::Unskip},
    };
    int given = 0;
    for (const auto& [option, action] : actions) {
        if (parser.isSet(*option)) {
            ++given;
            line.m_action = action;
        }
    }
    // --repeat goes alone, or with the time it is for.
    if (parser.isSet(repeat) && given == 0)
        line.m_action = Action::Repeat;
    else if (parser.isSet(repeat) && line.m_action != Action::Set)
        ++given;
    // --set given twice is two times, not one.
    if (given > 1 || parser.values(set).size() > 1 || parser.values(repeat).size() > 1)
        return refuse(shown(OnlyOne));
    if (parser.isSet(repeat)) {
        const std::optional<RepeatDays> days = RepeatDays::parse(parser.value(repeat));
        if (!days)
            return refuse(shown(BadRepeat).arg(parser.value(repeat)));
        line.m_repeat = days->words();
    }
    if (given == 0 && parser.isSet(tray))
        line.m_action = Action::Tray;
    if (line.m_action == Action::Set)
        line.m_time = parser.value(set);
    if (line.m_action == Action::Help)
        line.m_text = shown(Help);
    if (line.m_action == Action::Version)
        line.m_text = Version;
    return line;
}

bool CommandLine::forRunningCopy() const
{
    return m_action == Action::Set || m_action == Action::Off || m_action == Action::Sleep ||
           m_action == Action::Status || m_action == Action::Repeat || m_action == Action::Skip ||
           m_action == Action::Unskip;
}
