#include "core/RepeatFile.h"

#include "core/LogCategories.h"
#include "core/RepeatDays.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A few short lines; anything much longer is not this file.
constexpr qint64 ReadLimit = 64 * 1024;

QString beside(const QString& settings)
{
    return settings.isEmpty() ? QString() : QFileInfo(settings).dir().filePath(QLatin1String(RepeatFile::FileName));
}
} // namespace

QString RepeatFile::readPath()
{
    const QString settings = SettingsLocation::readPath();
    return beside(settings.isEmpty() ? SettingsLocation::savePath() : settings);
}

QString RepeatFile::savePath()
{
    return beside(SettingsLocation::savePath());
}

std::optional<RepeatFile::Record> RepeatFile::read()
{
    m_readFrom = readPath();
    m_damage.clear();
    m_damaged = false;
    if (m_readFrom.isEmpty() || !QFileInfo::exists(m_readFrom))
        return std::nullopt;
    const auto damaged = [this](const QString& why) {
        m_damage = why;
        qCWarning(lcSettings).noquote() << QStringLiteral("cannot read %1: %2").arg(m_readFrom, why);
        return std::nullopt;
    };
    QString notOurs;
    const QString own = SettingsLocation::ownFile(m_readFrom, &notOurs);
    if (own.isEmpty())
        return damaged(notOurs);
    // Looked at before it is opened: a named pipe or a device could keep the start waiting.
    struct stat status {};
    const QByteArray name = QFile::encodeName(own);
    if (::stat(name.constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return damaged(tr("it is not a regular file"));
    QFile file(own);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        m_damaged = true;
        return damaged(QString::fromLocal8Bit(std::strerror(errno)));
    }
    const QByteArray content = file.read(ReadLimit + 1);
    m_damaged = true;
    if (content.size() > ReadLimit)
        return damaged(tr("it is longer than this file can be"));
    const std::optional<Record> record = parse(content);
    if (!record)
        return damaged(tr("not all of its lines could be read"));
    m_damaged = false;
    return record;
}

QString RepeatFile::keepDamagedCopy()
{
    if (!m_damaged || m_readFrom != savePath())
        return QString();
    const QString bad = m_readFrom + QStringLiteral(".bad");
    // A name another user holds, or a link, is not replaced.
    struct stat status {};
    if (::lstat(QFile::encodeName(bad).constData(), &status) == 0 &&
        (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid()))
        return QString();
    if (::rename(QFile::encodeName(m_readFrom).constData(), QFile::encodeName(bad).constData()) != 0)
        return QString();
    m_damaged = false;
    qCWarning(lcSettings).noquote() << QStringLiteral("%1 could not be read whole; kept as %2").arg(m_readFrom, bad);
    return bad;
}

bool RepeatFile::write(const Record& record)
{
    m_failure.clear();
    const QString target = savePath();
    QString notOurs;
    const QString file = target.isEmpty() ? QString() : SettingsLocation::ownFile(target, &notOurs);
    if (file.isEmpty()) {
        m_failure = target.isEmpty() ? tr("there is nowhere to save it") : notOurs;
        return false;
    }
    // A damaged file is never replaced unkept; one read elsewhere is left as it is.
    if (m_damaged && m_readFrom == target && keepDamagedCopy().isEmpty()) {
        m_failure = tr("it could not be read whole, and no copy of it could be kept");
        return false;
    }
    const QString folder = QFileInfo(file).absolutePath();
    QSaveFile out(file);
    // The write only fills a buffer: everything is flushed and synced before the rename, so a full
    // disk leaves the old file rather than an empty one.
    const QByteArray bytes = format(record);
    if (!QDir().mkpath(folder) || !out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() ||
        out.error() != QFileDevice::NoError || ::fsync(out.handle()) != 0) {
        m_failure =
            out.error() != QFileDevice::NoError ? out.errorString() : QString::fromLocal8Bit(std::strerror(errno));
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        m_failure = out.errorString();
        return false;
    }
    m_readFrom = target;
    return true;
}

std::optional<RepeatFile::Record> RepeatFile::parse(const QByteArray& content)
{
    Record record;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            return std::nullopt;
        const QByteArray name = line.left(equals).trimmed();
        const QString value = QString::fromUtf8(line.mid(equals + 1).trimmed());
        if (name == "alarm") {
            record.alarm = value;
        } else if (name == "repeat") {
            if (!RepeatDays::parse(value))
                return std::nullopt;
            record.repeat = RepeatDays::parse(value)->words();
        } else if (name == "skip") {
            record.skip = QDate::fromString(value, Qt::ISODate);
            if (!value.isEmpty() && !record.skip.isValid())
                return std::nullopt;
        } else if (name == "set") {
            if (value != QLatin1String("yes") && value != QLatin1String("no"))
                return std::nullopt;
            record.set = value == QLatin1String("yes");
        } else if (name == "next") {
            record.next = QDateTime::fromString(value, Qt::ISODate);
            if (!value.isEmpty() && !record.next.isValid())
                return std::nullopt;
        } else {
            record.otherLines << line;
        }
    }
    return record;
}

QByteArray RepeatFile::format(const Record& record)
{
    QByteArray out;
    out += "alarm=" + record.alarm.toUtf8() + '\n';
    out += "repeat=" + record.repeat.toUtf8() + '\n';
    out += "skip=" + record.skip.toString(Qt::ISODate).toUtf8() + '\n';
    out += QByteArray("set=") + (record.set ? "yes" : "no") + '\n';
    out += "next=" + record.next.toOffsetFromUtc(record.next.offsetFromUtc()).toString(Qt::ISODate).toUtf8() + '\n';
    for (const QByteArray& line : record.otherLines)
        out += line + '\n';
    return out;
}
