#include "app/SingleInstance.h"
#include "core/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// The socket's address, or false when the path does not fit one.
bool addressFor(const QByteArray& path, sockaddr_un* address)
{
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}
} // namespace

SingleInstance::SingleInstance(const QString& folder)
    : m_lockPath(QDir(folder).filePath(QStringLiteral("kestrune.lock"))),
      m_socketPath(QFile::encodeName(QDir(folder).filePath(QStringLiteral("kestrune.socket"))))
{
}

SingleInstance::~SingleInstance()
{
    if (m_listening >= 0) {
        delete m_notifier;
        ::close(m_listening);
        ::unlink(m_socketPath.constData());
    }
}

bool SingleInstance::claim(std::function<void()> showWindow)
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Only a holder that is gone makes a lock stale, however long a run lasts.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        // The folder cannot hold a lock: better two programs than none.
        qCWarning(lcInstance, "cannot lock %s; not checking for another running copy", qPrintable(m_lockPath));
        return true;
    }
    m_showWindow = std::move(showWindow);
    sockaddr_un address;
    if (!addressFor(m_socketPath, &address)) {
        qCWarning(lcInstance,
                  "the runtime folder's path is too long for a socket; a second start will not find this one");
        return true;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // A socket file left by a crashed run would make bind() fail; the lock says it is ours now.
    ::unlink(m_socketPath.constData());
    const mode_t oldMask = ::umask(077);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(fd, 4) != 0) {
        qCWarning(lcInstance, "cannot listen on %s: %s", m_socketPath.constData(), std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return true;
    }
    m_listening = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::accept);
    return true;
}

void SingleInstance::accept()
{
    // A connection is the whole request; nothing is read from it.
    bool asked = false;
    for (;;) {
        const int client = ::accept4(m_listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            // Out of descriptors the connection stays queued and would wake us forever.
            if (errno == EMFILE || errno == ENFILE) {
                qCWarning(lcInstance, "cannot take a request from a second start: %s", std::strerror(errno));
                m_notifier->setEnabled(false);
            }
            break;
        }
        ::close(client);
        asked = true;
    }
    if (asked && m_showWindow)
        m_showWindow();
}

bool SingleInstance::askRunningToShow(int timeoutMs)
{
    sockaddr_un address;
    if (!addressFor(m_socketPath, &address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    // Wait until the running one has taken the connection and hung up, so the request is seen
    // before this process is gone.
    pollfd waiting{fd, POLLIN, 0};
    ::poll(&waiting, 1, timeoutMs);
    ::close(fd);
    return true;
}
