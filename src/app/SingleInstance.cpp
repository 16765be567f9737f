#include "app/SingleInstance.h"
#include "core/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// The folder made, or taken as it is, as a place of this user's alone. One of the user's own that
// others could reach is closed again, and what another user may have left in it meanwhile goes.
// False for another user's folder, a link (even to a folder of the user's) and anything not a folder.
bool makePrivate(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    ::mkdir(name.constData(), 0700);
    // Opened without following a link, so that the folder checked is the one changed.
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status {};
    const bool own = fd >= 0 && ::fstat(fd, &status) == 0 && status.st_uid == ::geteuid();
    const bool closed = own && ((status.st_mode & 077) == 0 || ::fchmod(fd, 0700) == 0);
    if (fd >= 0)
        ::close(fd);
    if (!closed) {
        qCWarning(lcInstance, "%s is not a folder of this user's alone; trying another place", qPrintable(folder));
        return false;
    }
    if ((status.st_mode & 077) == 0)
        return true;
    qCWarning(lcInstance, "%s was open to other users; it is private again", qPrintable(folder));
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QByteArray path = QFile::encodeName(dir.filePath(entry));
        if (::lstat(path.constData(), &status) == 0 && status.st_uid != ::geteuid() &&
            ::unlink(path.constData()) != 0 && ::rmdir(path.constData()) != 0)
            return false;
    }
    return isPrivate(folder);
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
    QString home = absoluteFromEnvironment("HOME");
    struct stat status {};
    // sudo may keep another user's HOME: a folder there would be theirs to tamper with.
    if (home == QStringLiteral("/") || ::stat(QFile::encodeName(home).constData(), &status) != 0 ||
        status.st_uid != ::geteuid())
        home.clear();
    QString cache = absoluteFromEnvironment("XDG_CACHE_HOME");
    if (cache.isEmpty() && !home.isEmpty())
        cache = QDir(home).filePath(QStringLiteral(".cache"));
    // Always tried in the same order, so that every start of the user's finds the same one.
    QStringList places;
    if (!cache.isEmpty() && QDir().mkpath(cache))
        places << QDir(cache).filePath(QStringLiteral("kestrune-runtime"));
    if (!home.isEmpty())
        places << QDir(home).filePath(QStringLiteral(".kestrune-runtime"));
    for (const QString& place : std::as_const(places)) {
        if (makePrivate(place))
            return place;
    }
    return QString();
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
    const auto unchecked = [this](const QString& why) {
        qCWarning(lcInstance).noquote() << why + QStringLiteral("; not checking for another running copy");
        m_notice = tr("Kestrune cannot make sure that only one copy of it runs: %1. Started again, it may run "
                      "twice, with two alarms.")
                       .arg(why);
        return true;
    };
    if (m_lockPath.isEmpty())
        return unchecked(tr("there is no folder of this user's alone to keep its lock in"));
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Only a holder that is gone makes a lock stale, however long a run lasts.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        // The folder cannot hold a lock: better two programs than none.
        return unchecked(tr("the lock %1 cannot be made").arg(m_lockPath));
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
