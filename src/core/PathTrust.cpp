#include "core/PathTrust.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {
// A POSIX access control list as the kernel keeps it in the extended attribute
// system.posix_acl_access: a version, then entries of a tag, permissions and an id, little-endian.
constexpr std::uint32_t AclVersion = 2;
constexpr std::uint16_t AclUserObj = 0x01, AclUser = 0x02, AclGroupObj = 0x04, AclGroup = 0x08, AclMask = 0x10,
                        AclOther = 0x20;
constexpr std::uint16_t AclWrite = 0x02;
constexpr int AclHeaderSize = 4, AclEntrySize = 8;
// Linux gives up after 40 links in one walk; so does this.
constexpr int MostLinks = 40;

std::uint32_t little(const char* bytes, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(bytes[i]);
    return value;
}

bool trustedOwner(const struct stat& status)
{
    return status.st_uid == 0 || status.st_uid == ::geteuid();
}

bool trustedUser(uid_t user)
{
    return user == 0 || user == ::geteuid();
}

// The access control list of name, empty when it has none beyond its mode bits; nullopt when it
// cannot be read, which is no reason to trust it.
std::optional<QByteArray> accessList(const QByteArray& name)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = ::lgetxattr(name.constData(), "system.posix_acl_access", nullptr, 0);
        if (size < 0)
            return errno == ENODATA || errno == ENOTSUP ? std::optional(QByteArray()) : std::nullopt;
        QByteArray list(qsizetype(size), '\0');
        const ssize_t got = ::lgetxattr(name.constData(), "system.posix_acl_access", list.data(), size_t(size));
        if (got >= 0)
            return list.left(got);
        if (errno != ERANGE) // grown meanwhile: asked again
            return std::nullopt;
    }
    return std::nullopt;
}

// Someone other than root, the user or a group of the user's alone may write to it: the mode's
// bits for others and the group, or, when it has one, any entry of its access control list that
// the list's mask lets write.
bool othersMayWrite(const QByteArray& name, const struct stat& status)
{
    if (S_ISLNK(status.st_mode)) // a link's own permissions mean nothing
        return false;
    if (status.st_mode & S_IWOTH)
        return true;
    const std::optional<QByteArray> list = accessList(name);
    if (!list)
        return true;
    if (list->isEmpty())
        return (status.st_mode & S_IWGRP) && !PathTrust::privateGroup(status.st_gid);
    if (list->size() < AclHeaderSize || (list->size() - AclHeaderSize) % AclEntrySize != 0 ||
        little(list->constData(), 4) != AclVersion)
        return true;
    const auto entries = [&list](const std::function<bool(std::uint16_t, std::uint16_t, std::uint32_t)>& each) {
        for (qsizetype at = AclHeaderSize; at < list->size(); at += AclEntrySize) {
            const char* entry = list->constData() + at;
            if (!each(std::uint16_t(little(entry, 2)), std::uint16_t(little(entry + 2, 2)), little(entry + 4, 4)))
                return false;
        }
        return true;
    };
    std::uint16_t mask = 0x7;
    entries([&mask](std::uint16_t tag, std::uint16_t permissions, std::uint32_t) {
        if (tag == AclMask)
            mask = permissions;
        return true;
    });
    // Every entry is asked, so that no one unknown passes.
    return !entries([&status, mask](std::uint16_t tag, std::uint16_t permissions, std::uint32_t id) {
        const bool writes = permissions & AclWrite;
        switch (tag) {
        case AclUserObj:
        case AclMask:
            return true;
        case AclUser:
            return !(writes && (mask & AclWrite)) || trustedUser(uid_t(id));
        case AclGroupObj:
            return !(writes && (mask & AclWrite)) || PathTrust::privateGroup(status.st_gid);
        case AclGroup:
            return !(writes && (mask & AclWrite)) || PathTrust::privateGroup(gid_t(id));
        case AclOther:
            return !writes;
        default:
            return false;
        }
    });
}

bool lstatOf(const QString& path, struct stat& status)
{
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

QString joined(const QString& folder, const QString& name)
{
    return folder == u'/' ? u'/' + name : folder + u'/' + name;
}

QStringList namesOf(const QString& path)
{
    return path.split(u'/', Qt::SkipEmptyParts);
}
} // namespace

bool PathTrust::privateGroup(gid_t group)
{
    const uid_t me = ::geteuid();
    char buffer[16384];
    QByteArray myName;
    bool listed = false;
    if (std::FILE* accounts = std::fopen("/etc/passwd", "re")) {
        struct passwd account {};
        struct passwd* found = nullptr;
        bool shared = false;
        while (::fgetpwent_r(accounts, &account, buffer, sizeof buffer, &found) == 0 && found) {
            if (account.pw_uid == me)
                myName = account.pw_name;
            else if (account.pw_gid == group && account.pw_uid != 0)
                shared = true;
        }
        std::fclose(accounts);
        if (shared)
            return false;
    } else {
        return false;
    }
    if (std::FILE* groups = std::fopen("/etc/group", "re")) {
        struct group entry {};
        struct group* found = nullptr;
        bool shared = false;
        while (::fgetgrent_r(groups, &entry, buffer, sizeof buffer, &found) == 0 && found) {
            if (entry.gr_gid != group)
                continue;
            listed = true;
            for (char** member = entry.gr_mem; member && *member; ++member) {
                if (std::strcmp(*member, "root") != 0 && myName != *member)
                    shared = true;
            }
        }
        std::fclose(groups);
        return listed && !shared;
    }
    return false;
}

bool PathTrust::writableByOthers(const QString& path)
{
    struct stat status {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &status) != 0)
        return false;
    return othersMayWrite(QFile::encodeName(QFileInfo(path).canonicalFilePath()), status);
}

bool PathTrust::ownedByUser(const QString& path)
{
    return QFileInfo(path).ownerId() == uint(::geteuid());
}

QString PathTrust::whyUntrusted(const QString& path, QString* resolved, Missing missing)
{
    // Name by name from the root folder, so that no step is taken through a folder or a link that
    // someone else could change or point anywhere.
    QStringList pending = namesOf(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    QString done = QStringLiteral("/");
    struct stat status {};
    if (!lstatOf(done, status) || !trustedOwner(status) || othersMayWrite("/", status))
        return tr("the root folder is not root's alone");
    int links = 0;
    while (!pending.isEmpty()) {
        const QString name = pending.takeFirst();
        if (name == u'.')
            continue;
        if (name == QStringLiteral("..")) {
            done = QFileInfo(done).path();
            continue;
        }
        const QString next = joined(done, name);
        const QByteArray encoded = QFile::encodeName(next);
        if (::lstat(encoded.constData(), &status) != 0) {
            if (errno != ENOENT || missing == Missing::Refused)
                return tr("%1 is not there").arg(next);
            // Made by the save, as the user's, in a folder already found safe to hold it.
            if (resolved)
                *resolved = QDir::cleanPath(next + u'/' + pending.join(u'/'));
            return QString();
        }
        const bool link = S_ISLNK(status.st_mode);
        if (!trustedOwner(status))
            return link ? tr("%1 is a link of another user").arg(next) : tr("%1 belongs to another user").arg(next);
        if (link) {
            if (++links > MostLinks)
                return tr("%1 is a chain of too many links").arg(path);
            const QString target = QFileInfo(next).symLinkTarget();
            if (target.isEmpty())
                return tr("%1 is a link that leads nowhere").arg(next);
            // Absolute as Qt gives it: walked again from the root folder.
            pending = namesOf(target) + pending;
            done = QStringLiteral("/");
            continue;
        }
        if (!pending.isEmpty() && !S_ISDIR(status.st_mode))
            return tr("%1 is not a folder").arg(next);
        if (othersMayWrite(encoded, status)) {
            // The file itself, and the folder that holds it (others could add beside it), may not be
            // sticky either; a folder above it may, since others cannot replace its entries.
            if (pending.isEmpty())
                return tr("others can write to %1").arg(next);
            if (pending.size() == 1 || !(status.st_mode & S_ISVTX))
                return tr("others can write to the folder %1").arg(next);
        }
        done = next;
    }
    if (resolved)
        *resolved = done;
    return QString();
}

bool PathTrust::makePrivate(int fd, mode_t mode)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return false;
    const bool folder = S_ISDIR(status.st_mode);
    for (const char* list : {"system.posix_acl_access", "system.posix_acl_default"}) {
        if ((folder || std::strcmp(list, "system.posix_acl_access") == 0) && ::fremovexattr(fd, list) != 0 &&
            errno != ENODATA && errno != ENOTSUP)
            return false;
    }
    return ::fchmod(fd, mode) == 0;
}

bool PathTrust::makeFolders(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(clean).isDir())
        return true;
    if (clean == QDir::rootPath() || !makeFolders(QFileInfo(clean).path()))
        return false;
    const QByteArray name = QFile::encodeName(clean);
    if (::mkdir(name.constData(), 0700) != 0)
        return errno == EEXIST && QFileInfo(clean).isDir();
    // Made by this call: only then is it ours to change.
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const bool closed = fd >= 0 && makePrivate(fd, 0700);
    if (fd >= 0)
        ::close(fd);
    return closed;
}
