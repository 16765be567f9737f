#include "app/SingleInstance.h"
#include "core/LogCategories.h"
#include "core/PathTrust.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// The socket's address, whatever the length of its folder's path: a path too long for an address is
// reached through the folder held open, as /proc/self/fd/N/name. Invalid when neither fits.
class SocketAddress {
public:
    explicit SocketAddress(const QByteArray& path)
    {
        if (path.isEmpty() || set(path))
            return;
        const qsizetype slash = path.lastIndexOf('/');
        m_folder = ::open(slash > 0 ? path.left(slash).constData() : "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (m_folder >= 0)
            set("/proc/self/fd/" + QByteArray::number(m_folder) + path.mid(slash));
    }
    ~SocketAddress()
    {
        if (m_folder >= 0)
            ::close(m_folder);
    }
    SocketAddress(const SocketAddress&) = delete;
    SocketAddress& operator=(const SocketAddress&) = delete;

    bool valid() const { return m_valid; }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&m_address); }
    socklen_t size() const { return sizeof m_address; }

private:
    bool set(const QByteArray& path)
    {
        std::memset(&m_address, 0, sizeof m_address);
        m_address.sun_family = AF_UNIX;
        m_valid = size_t(path.size()) < sizeof m_address.sun_path;
        if (m_valid)
            std::memcpy(m_address.sun_path, path.constData(), size_t(path.size()));
        return m_valid;
    }

    sockaddr_un m_address{};
    int m_folder = -1;
    bool m_valid = false;
};

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
    // Made private whatever it was, access control lists included: the lock and the socket go in it.
    const bool closed = own && PathTrust::makePrivate(fd, 0700);
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
const QByteArray Done = QByteArrayLiteral("ok");
const QByteArray Refused = QByteArrayLiteral("refused");
const QByteArray Error = QByteArrayLiteral("error\nnot a request\n");
// Sent for a time that cannot go on the line whole: no clock ever shows it.
const QByteArray Unringable = QByteArrayLiteral("-");

const std::pair<SingleInstance::Verb, QByteArray> Verbs[] = {
    {SingleInstance::Verb::Show, QByteArrayLiteral("show")},
    {SingleInstance::Verb::Set, QByteArrayLiteral("set")},
    {SingleInstance::Verb::Off, QByteArrayLiteral("off")},
    {SingleInstance::Verb::Sleep, QByteArrayLiteral("sleep")},
    {SingleInstance::Verb::Status, QByteArrayLiteral("status")},
    {SingleInstance::Verb::Repeat, QByteArrayLiteral("repeat")},
    {SingleInstance::Verb::Skip, QByteArrayLiteral("skip")},
    {SingleInstance::Verb::Unskip, QByteArrayLiteral("unskip")},
};

// Only a time or days follow a word, and only these.
bool takesArgument(SingleInstance::Verb verb)
{
    return verb == SingleInstance::Verb::Set || verb == SingleInstance::Verb::Repeat;
}

bool hasControl(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x20 || uchar(c) == 0x7f; });
}

// Writes all of it before the deadline or gives up: a peer that went away is not worth a signal,
// and one that stopped reading is not waited for.
bool sendAll(int fd, const QByteArray& bytes, const QDeadlineTimer& deadline = QDeadlineTimer(0))
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd waiting{fd, POLLOUT, 0};
            if (!deadline.hasExpired() && ::poll(&waiting, 1, int(deadline.remainingTime())) >= 0)
                continue;
            return false;
        }
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}
} // namespace

struct SingleInstance::Client {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    QTimer deadline;
    QByteArray received;
    ~Client()
    {
        delete notifier;
        ::close(fd);
    }
};

QByteArray SingleInstance::encode(const Request& request)
{
    QByteArray line;
    for (const auto& [verb, word] : Verbs) {
        if (verb == request.verb)
            line = word;
    }
    if (takesArgument(request.verb)) {
        const QByteArray time = request.argument.toUtf8();
        const bool fits = !time.isEmpty() && !hasControl(time) && line.size() + time.size() + 2 <= RequestLimit;
        line += ' ' + (fits ? time : Unringable);
    }
    return line + '\n';
}

QByteArray SingleInstance::encode(const Reply& reply)
{
    const QByteArray head = (reply.done ? Done : Refused) + '\n';
    return head + reply.text.toUtf8().left(ReplyLimit - head.size());
}

SingleInstance::Reply SingleInstance::decodeReply(const QByteArray& bytes)
{
    Reply reply;
    const qsizetype end = bytes.indexOf('\n');
    const QByteArray head = bytes.left(end);
    reply.answered = end >= 0 && (head == Done || head == Refused);
    reply.done = reply.answered && head == Done;
    if (reply.answered)
        reply.text = QString::fromUtf8(bytes.mid(end + 1).left(ReplyLimit));
    return reply;
}

std::optional<SingleInstance::Request> SingleInstance::decode(const QByteArray& line)
{
    if (!line.endsWith('\n') || line.size() > RequestLimit)
        return std::nullopt;
    const QByteArray body = line.chopped(1);
    if (hasControl(body))
        return std::nullopt;
    const qsizetype space = body.indexOf(' ');
    const QByteArray word = space < 0 ? body : body.left(space);
    for (const auto& [verb, name] : Verbs) {
        if (name != word)
            continue;
        if (takesArgument(verb) != (space >= 0) || (space >= 0 && space + 1 == body.size()))
            return std::nullopt;
        Request request{verb, QString()};
        if (space >= 0) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            request.argument = utf8(body.mid(space + 1));
            if (utf8.hasError())
                return std::nullopt;
        }
        return request;
    }
    return std::nullopt;
}

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
    if (!cache.isEmpty() && PathTrust::makeFolders(cache))
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
    m_clients.clear();
    if (m_listening >= 0) {
        delete m_notifier;
        ::close(m_listening);
        ::unlink(m_socketPath.constData());
    }
}

bool SingleInstance::claim(Handler handler)
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
    m_handler = std::move(handler);
    // Runs all the same, but says so: a later start would find it running and unable to answer.
    const auto unreachable = [this](const QString& why) {
        qCWarning(lcInstance).noquote() << why + QStringLiteral("; a later start cannot reach this one");
        m_notice = tr("A later start of Kestrune cannot reach this one: %1. Commands such as kestrune --status "
                      "and --off will fail while it runs.")
                       .arg(why);
        return true;
    };
    if (othersAt(m_socketPath))
        return unreachable(tr("%1 belongs to another user").arg(QFile::decodeName(m_socketPath)));
    const SocketAddress address(m_socketPath);
    if (!address.valid())
        return unreachable(tr("the path %1 is too long for a socket").arg(QFile::decodeName(m_socketPath)));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // A socket file left by a crashed run would make bind() fail; the lock says it is ours now.
    ::unlink(m_socketPath.constData());
    const mode_t oldMask = ::umask(077);
    const bool bound = fd >= 0 && ::bind(fd, address.get(), address.size()) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(fd, 16) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return unreachable(tr("cannot listen on %1 (%2)").arg(QFile::decodeName(m_socketPath), why));
    }
    m_listening = fd;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SingleInstance::accept);
    return true;
}

void SingleInstance::accept()
{
    for (;;) {
        const int fd = ::accept4(m_listening, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            // Out of descriptors the connection stays queued and would wake us forever.
            if (errno == EMFILE || errno == ENFILE) {
                qCWarning(lcInstance, "cannot take a request from a second start: %s", std::strerror(errno));
                m_notifier->setEnabled(false);
            }
            break;
        }
        // A flood of connections is not kept waiting on: past a few, the one that has waited longest
        // without a word makes room, so that idle connections cannot keep a real request out.
        if (m_clients.size() >= size_t(MaxClients)) {
            const auto idle =
                std::find_if(m_clients.begin(), m_clients.end(), [](const auto& c) { return c->received.isEmpty(); });
            qCWarning(lcInstance, "too many requests at once; one dropped");
            if (idle == m_clients.end()) {
                ::close(fd);
                continue;
            }
            answer(idle->get(), QByteArray());
        }
        auto client = std::make_unique<Client>();
        Client* c = client.get();
        c->fd = fd;
        c->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
        connect(c->notifier, &QSocketNotifier::activated, this, [this, c] { read(c); });
        c->deadline.setSingleShot(true);
        connect(&c->deadline, &QTimer::timeout, this, [this, c] {
            qCWarning(lcInstance, "a request was not complete in time; dropped");
            answer(c, QByteArray());
        });
        c->deadline.start(RequestTimeoutMs);
        m_clients.push_back(std::move(client));
        // A request sent with the connection is answered before more connections can push it out.
        read(c);
    }
}

void SingleInstance::read(Client* client)
{
    char buffer[RequestLimit + 1];
    const ssize_t n = ::recv(client->fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n > 0) {
        client->received.append(buffer, n);
        // Not yet a whole line, and still room for one: wait for the rest.
        if (!client->received.contains('\n') && client->received.size() <= RequestLimit)
            return;
    }
    // A knock: connected and gone without a word.
    std::optional<Request> request =
        client->received.isEmpty() && n == 0 ? std::optional<Request>(Request{}) : decode(client->received);
    if (!request) {
        qCWarning(lcInstance, "a request that is not one was refused");
        answer(client, Error);
        return;
    }
    answer(client, encode(m_handler ? m_handler(*request) : Reply{}));
}

void SingleInstance::answer(Client* client, const QByteArray& reply)
{
    if (!reply.isEmpty())
        sendAll(client->fd, reply);
    // Deleted from the event loop: this may run inside the client's own notifier or timer.
    const auto at =
        std::find_if(m_clients.begin(), m_clients.end(), [client](const auto& c) { return c.get() == client; });
    if (at == m_clients.end())
        return;
    client->notifier->setEnabled(false);
    client->deadline.stop();
    ::shutdown(client->fd, SHUT_RDWR);
    std::unique_ptr<Client> gone = std::move(*at);
    m_clients.erase(at);
    QTimer::singleShot(0, this, [gone = std::shared_ptr<Client>(std::move(gone))] {});
}

std::optional<SingleInstance::Reply> SingleInstance::ask(const Request& request, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const SocketAddress address(m_socketPath);
    // Only a copy of this user's is asked.
    if (!address.valid() || othersAt(m_socketPath))
        return std::nullopt;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return std::nullopt;
    const auto closed = qScopeGuard([fd] { ::close(fd); });
    Reply reply;
    // A copy that is stopped, or flooded, leaves its queue of connections full: connecting is tried
    // again until the deadline, never waited on for good.
    while (::connect(fd, address.get(), address.size()) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return std::nullopt;
        if (deadline.hasExpired())
            return reply;
        QThread::msleep(20);
    }
    if (!sendAll(fd, encode(request), deadline))
        return reply;
    // Read until the running one hangs up, so the request is done before this process is gone.
    QByteArray received;
    char buffer[4096];
    while (received.size() <= ReplyLimit) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        received.append(buffer, n);
    }
    return decodeReply(received);
}

bool SingleInstance::askRunningToShow(int timeoutMs)
{
    return ask(Request{}, timeoutMs).has_value();
}

bool SingleInstance::runningElsewhere() const
{
    if (m_lockPath.isEmpty() || (m_lock && m_lock->isLocked()))
        return false;
    QLockFile lock(m_lockPath);
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return false;
    return lock.error() == QLockFile::LockFailedError;
}
