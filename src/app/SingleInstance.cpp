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

// A folder (not a link to one) of this user's, closed to everyone else.
bool isPrivate(const QString& folder)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

// Another user's socket, or anything else of theirs, in its place: not to be replaced or trusted.
bool othersAt(const QByteArray& path)
{
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && status.st_uid != ::geteuid();
}

QString absoluteFromEnvironment(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}
} // namespace

QString SingleInstance::privateFolder()
{
    const QString runtime = absoluteFromEnvironment("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivate(runtime))
        return runtime;
    if (!runtime.isEmpty())
        qCWarning(lcInstance, "%s is not a folder of this user's alone; using one under the cache folder",
                  qPrintable(runtime));
    QString cache = absoluteFromEnvironment("XDG_CACHE_HOME");
    if (cache.isEmpty()) {
        const QString home = absoluteFromEnvironment("HOME");
        struct stat status {};
        // sudo may keep another user's HOME: a folder there would be theirs to tamper with.
        if (home.isEmpty() || home == QStringLiteral("/") ||
            ::stat(QFile::encodeName(home).constData(), &status) != 0 || status.st_uid != ::geteuid())
            return QString();
        cache = QDir(home).filePath(QStringLiteral(".cache"));
    }
    const QString folder = QDir(cache).filePath(QStringLiteral("kestrune-runtime"));
    QDir().mkpath(cache);
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return isPrivate(folder) ? folder : QString();
}

SingleInstance::SingleInstance(const QString& folder)
{
    if (folder.isEmpty())
        return;
    m_lockPath = QDir(folder).filePath(QStringLiteral("kestrune.lock"));
    m_socketPath = QFile::encodeName(QDir(folder).filePath(QStringLiteral("kestrune.socket")));
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
    if (m_lockPath.isEmpty()) {
        qCWarning(lcInstance, "no folder of this user's alone for the lock; not checking for another running copy");
        return true;
    }
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
    if (othersAt(m_socketPath)) {
        qCWarning(lcInstance, "%s belongs to another user; a second start will not find this one",
                  m_socketPath.constData());
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
    // Only a copy of this user's is asked.
    if (!addressFor(m_socketPath, &address) || othersAt(m_socketPath))
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
