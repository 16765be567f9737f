// kestrune-wake: holds the one wake timer for a program that may not hold CAP_WAKE_ALARM itself.
// It runs with that file capability alone, so it links nothing but the C and C++ runtimes: it reads
// numbered times from its standard input, one a line, answers each on its output naming its number,
// and ends with its input. It serves only a regular user on a local seat.

#include "platform/Capabilities.h"
#include "wake/WakeCaller.h"
#include "wake/WakeRequest.h"

#include <linux/capability.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {
// Whoever reads the answers is gone: nothing is left to do.
void say(const char* text)
{
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = write(STDOUT_FILENO, text, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            _exit(0);
        text += written;
        left -= std::size_t(written);
    }
}

bool aim(int timer, time_t when)
{
    itimerspec expiry{};
    expiry.it_value.tv_sec = when;
    return timerfd_settime(timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr) == 0;
}

class WakeLoop {
public:
    // whyNot: the caller is not served, and no timer is made.
    explicit WakeLoop(const char* whyNot) : m_whyNot(whyNot) { makeTimer(); }

    void line(std::string_view text)
    {
        char answer[200];
        const WakeRequest request = WakeRequest::parse(text, time(nullptr));
        const unsigned id = request.id();
        if (m_whyNot) {
            std::snprintf(answer, sizeof answer, "%u refused cannot wake this computer: %s\n", id, m_whyNot);
        } else if (!request.accepted()) {
            // The program asked for another moment: the one before is no longer its alarm.
            disarm();
            std::snprintf(answer, sizeof answer, "%u refused %s\n", id, request.refusal());
        } else if (!aim(m_timer, request.when())) {
            const int error = errno;
            disarm();
            std::snprintf(answer, sizeof answer, "%u refused cannot wake this computer: %s\n", id,
                          std::strerror(error));
        } else {
            m_when = request.when();
            std::snprintf(answer, sizeof answer, "%u set %lld\n", id, static_cast<long long>(m_when));
        }
        say(answer);
    }

    // A timer of its own for each moment: an alarm timer only stopped would still show, and keep,
    // the moment it was set for.
    void disarm()
    {
        m_when = 0;
        if (m_timer < 0)
            return;
        close(m_timer);
        makeTimer();
    }

    void timerReadable()
    {
        std::uint64_t expirations = 0;
        if (read(m_timer, &expirations, sizeof expirations) >= 0 || errno != ECANCELED)
            return;
        // The clock was set: the same wall-clock moment, which is another real time now.
        if (m_when != 0 && !aim(m_timer, m_when))
            say("0 refused cannot wake this computer: the timer cannot be set again\n");
        say("clock set\n");
    }

    int timer() const { return m_timer; }

private:
    void makeTimer()
    {
        if (m_whyNot)
            return;
        m_timer = timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
        if (m_timer < 0)
            m_whyNot = std::strerror(errno);
    }

    int m_timer = -1;
    const char* m_whyNot = nullptr;
    time_t m_when = 0;
};
} // namespace

int main()
{
    // The one capability this program is for; no other, and nothing it could pass on.
    Capabilities::trimHelper(CAP_WAKE_ALARM);
    std::signal(SIGPIPE, SIG_IGN);

    // The real user is whoever started it; the capability comes from the file, for anyone.
    WakeLoop loop(WakeCaller::refusal(getuid(), WakeCaller::Places{}));
    std::string pending;
    bool tooLong = false;
    char chunk[256];
    for (;;) {
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {loop.timer(), POLLIN, 0}};
        if (poll(fds, loop.timer() >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            return 1;
        }
        if (loop.timer() >= 0 && (fds[1].revents & POLLIN))
            loop.timerReadable();
        if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        // The input closed (OFF, Exit, the program gone): the timer goes with this process.
        if (got <= 0)
            return 0;
        for (ssize_t i = 0; i < got; ++i) {
            if (chunk[i] == '\n') {
                if (tooLong) {
                    loop.disarm();
                    say("0 refused the line is too long\n");
                } else
                    loop.line(pending);
                pending.clear();
                tooLong = false;
            } else if (tooLong || pending.size() >= WakeRequest::LongestLine) {
                tooLong = true;
                pending.clear();
            } else {
                pending.push_back(chunk[i]);
            }
        }
    }
}
