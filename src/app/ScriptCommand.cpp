#include "app/ScriptCommand.h"

#include "alarm/AlarmCommands.h"
#include "alarm/AlarmState.h"
#include "app/CommandLine.h"
#include "app/Translations.h"

#include "core/AlarmCrossing.h"
#include "core/TimeText.h"

#include <QDeadlineTimer>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Said before the application exists, in the user's language all the same.
const char* const NotRunningText = QT_TRANSLATE_NOOP("ScriptCommand", "Kestrune is not running.");
const char* const NoAnswer = QT_TRANSLATE_NOOP("ScriptCommand", "The running Kestrune did not answer.");
const char* const NotStarted = QT_TRANSLATE_NOOP("ScriptCommand", "Kestrune could not be started.");
const char* const UnreachableText = QT_TRANSLATE_NOOP("ScriptCommand", "Kestrune is running but cannot be reached.");
// How long a new copy may take to come up and arm before the start that waits for it gives up.
constexpr int StartTimeoutMs = 60000;

void write(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (!bytes.endsWith('\n'))
        std::fputc('\n', stream);
    std::fflush(stream);
}
} // namespace

SingleInstance::Request ScriptCommand::request(const CommandLine& line)
{
    switch (line.action()) {
    case CommandLine::Action::Set: {
        // Sent as the running copy will read it: a time with blanks around it goes whole on the line.
        const std::optional<QTime> alarm = AlarmCrossing::read(line.time());
        return {SingleInstance::Verb::Set, alarm ? TimeText::of(*alarm) : line.time()};
    }
    case CommandLine::Action::Off:
        return {SingleInstance::Verb::Off, QString()};
    case CommandLine::Action::Sleep:
        return {SingleInstance::Verb::Sleep, QString()};
    case CommandLine::Action::Status:
        return {SingleInstance::Verb::Status, QString()};
    case CommandLine::Action::Repeat:
        return {SingleInstance::Verb::Repeat, line.repeat()};
    case CommandLine::Action::Skip:
        return {SingleInstance::Verb::Skip, QString()};
    case CommandLine::Action::Unskip:
        return {SingleInstance::Verb::Unskip, QString()};
    default:
        return {};
    }
}

std::optional<int> ScriptCommand::askRunning(const CommandLine& line, SingleInstance& instance)
{
    std::optional<SingleInstance::Reply> reply = instance.ask(request(line));
    if (!reply && instance.runningElsewhere()) {
        write(stderr, Translations::early("ScriptCommand", UnreachableText));
        return Unreachable;
    }
    // The days for the time set, once it is set: a refused time leaves the days as they were.
    if (reply && reply->done && line.action() == CommandLine::Action::Set && !line.repeat().isEmpty())
        reply = instance.ask({SingleInstance::Verb::Repeat, line.repeat()});
    if (!reply && line.action() != CommandLine::Action::Set) {
        write(stderr, Translations::early("ScriptCommand", NotRunningText));
        return NotRunning;
    }
    if (!reply)
        return std::nullopt;
    return print(reply);
}

int ScriptCommand::print(const std::optional<SingleInstance::Reply>& reply)
{
    if (!reply || !reply->answered) {
        write(stderr, Translations::early("ScriptCommand", reply ? NoAnswer : NotStarted));
        return Failed;
    }
    if (!reply->done) {
        write(stderr, reply->text);
        return Failed;
    }
    if (!reply->text.isEmpty())
        write(stdout, reply->text);
    return Done;
}

std::optional<int> ScriptCommand::startInBackground(int* reportTo)
{
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return print(std::nullopt);
    const pid_t child = ::fork();
    if (child < 0)
        return print(std::nullopt);
    if (child == 0) {
        ::close(channel[0]);
        // Its own session, and nothing of the script's terminal, pipes or working folder: a script
        // reading this start's output is not kept waiting by the copy that goes on running, and the
        // folder it ran in can be unmounted.
        ::setsid();
        if (::chdir("/") != 0)
            std::perror("chdir");
        const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(null, fd);
        if (null > STDERR_FILENO)
            ::close(null);
        *reportTo = channel[1];
        return std::nullopt;
    }
    ::close(channel[1]);
    QByteArray said;
    char buffer[4096];
    pollfd waiting{channel[0], POLLIN, 0};
    const QDeadlineTimer deadline(StartTimeoutMs);
    bool ended = false;
    while (said.size() <= SingleInstance::ReplyLimit && !deadline.hasExpired() &&
           ::poll(&waiting, 1, int(deadline.remainingTime())) > 0) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n <= 0) {
            ended = true;
            break;
        }
        said.append(buffer, n);
    }
    ::close(channel[0]);
    // A copy that has not said a word in all that time (a display that takes the connection and
    // never answers) is not left hanging on.
    if (said.isEmpty() && !ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    // Said as the running copy replies; nothing said: the new copy did not come up.
    if (said.isEmpty())
        return print(std::nullopt);
    return print(SingleInstance::decodeReply(said));
}

void ScriptCommand::report(int reportTo, const SingleInstance::Reply& reply)
{
    if (reportTo < 0)
        return;
    // Nothing said is what the waiting start takes for a copy that did not come up.
    const QByteArray said = reply.answered ? SingleInstance::encode(reply) : QByteArray();
    qsizetype sent = 0;
    while (sent < said.size()) {
        const ssize_t n = ::write(reportTo, said.constData() + sent, size_t(said.size() - sent));
        if (n <= 0)
            break;
        sent += n;
    }
    ::close(reportTo);
}

SingleInstance::Reply ScriptCommand::answer(AlarmCommands& commands, const WakePolicy& wake,
                                            const SingleInstance::Request& request)
{
    QString refusal;
    switch (request.verb) {
    case SingleInstance::Verb::Show:
        commands.showWindow();
        break;
    case SingleInstance::Verb::Set:
        refusal = commands.arm(request.argument);
        break;
    case SingleInstance::Verb::Off:
        refusal = commands.off();
        break;
    case SingleInstance::Verb::Sleep:
        refusal = commands.sleep();
        break;
    case SingleInstance::Verb::Status:
        return {true, true, AlarmState::of(commands.engine(), wake).statusLines()};
    case SingleInstance::Verb::Repeat:
        refusal = commands.setRepeat(request.argument);
        break;
    case SingleInstance::Verb::Skip:
        refusal = commands.skip();
        break;
    case SingleInstance::Verb::Unskip:
        refusal = commands.unskip();
        break;
    }
    return {true, refusal.isEmpty(), refusal};
}
