#include "platform/SessionEndWatcher.h"
#include "core/LogCategories.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int watchedSignals[] = {SIGTERM, SIGHUP, SIGINT};
struct sigaction previousActions[std::size(watchedSignals)];
bool watching[std::size(watchedSignals)] = {};

QPointer<SessionEndWatcher> current;
volatile sig_atomic_t signalWriteEnd = -1;

// All a handler may safely do: one byte into the pipe, for the event loop to find.
void onSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd, &byte, 1);
    errno = savedErrno;
}
} // namespace

void SessionEndWatcher::install(std::function<void()> onEnd)
{
    delete current;
    current = new SessionEndWatcher(std::move(onEnd));
}

SessionEndWatcher::SessionEndWatcher(std::function<void()> onEnd)
    : QObject(QCoreApplication::instance()), m_onEnd(std::move(onEnd))
{
    // Closing the session ends the event loop (the session manager's last word is a quit): the
    // shutdown runs then, if nothing ran it before.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { m_onEnd(); });

    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        qCWarning(lcSession, "signals will end the program without saving: %s", std::strerror(errno));
        return;
    }
    m_writeEnd = ends[0];
    m_readEnd = ends[1];
    signalWriteEnd = m_writeEnd;
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SessionEndWatcher::signalled);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // A second signal of the same kind ends the program at once, should the shutdown hang.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(watchedSignals); ++i) {
        ::sigaction(watchedSignals[i], nullptr, &previousActions[i]);
        // Ignored from the start (nohup, a script's background job): it stays ignored, as the starter meant.
        watching[i] = previousActions[i].sa_handler != SIG_IGN;
        if (watching[i])
            ::sigaction(watchedSignals[i], &action, nullptr);
    }
}

SessionEndWatcher::~SessionEndWatcher()
{
    if (m_writeEnd < 0)
        return;
    for (std::size_t i = 0; i < std::size(watchedSignals); ++i) {
        if (watching[i])
            ::sigaction(watchedSignals[i], &previousActions[i], nullptr);
    }
    signalWriteEnd = -1;
    delete m_notifier;
    ::close(m_writeEnd);
    ::close(m_readEnd);
}

void SessionEndWatcher::signalled()
{
    // Several signals may have come together: one shutdown serves them all.
    char bytes[16];
    while (::read(m_readEnd, bytes, sizeof bytes) > 0) {
    }
    m_onEnd();
}
