#include "core/SettingsFile.h"

#include "core/LogCategories.h"
#include "core/PathTrust.h"
#include "core/SettingsFieldReader.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <limits>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Five short values; whatever a damaged or mistaken file holds beyond this is never needed.
constexpr qint64 readLimit = 1 << 20;

// Writable for us and not marked read-only. The permission check alone says yes to root for
// everything, and then a file the user protected would be replaced.
bool isWritable(const QString& path)
{
    const QFileInfo info(path);
    return info.isWritable() && info.permissions().testFlag(QFileDevice::WriteOwner);
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What stands at a path, for a reason the user can act on.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return SettingsFile::tr("it is a folder, not a file");
    if (S_ISFIFO(mode))
        return SettingsFile::tr("it is a named pipe, not a regular file");
    if (S_ISSOCK(mode))
        return SettingsFile::tr("it is a socket, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return SettingsFile::tr("it is a device, not a regular file");
    return SettingsFile::tr("it is not a regular file");
}

// A text in the encoding its bytes tell: UTF-8 when they are valid UTF-8, else one character a
// byte, which goes back as the same bytes. A byte order mark inside a value is part of it.
std::optional<QString> toText(const std::optional<QByteArray>& field, SettingsEncoding& encoding)
{
    if (!field)
        return std::nullopt;
    // Stateless: an incomplete sequence at the end is an error, not something to wait for.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(*field);
    if (!decoder.hasError()) {
        encoding = SettingsEncoding::Utf8;
        return text;
    }
    encoding = SettingsEncoding::Latin1;
    return QString::fromLatin1(*field);
}

// A number in decimal, quoted or not; nothing else in the field, and within the stored type.
std::optional<int> toNumber(const std::optional<QByteArray>& field, qint64 minimum, qint64 maximum)
{
    if (!field)
        return std::nullopt;
    bool ok = false;
    const qlonglong value = field->trimmed().toLongLong(&ok, 10);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return int(value);
}

bool fitsLatin1(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

QByteArray quoted(const std::optional<QString>& value, SettingsEncoding encoding)
{
    QString text = value.value_or(QString());
    // The reader stops a text at a line end or a NUL; so does the writer, so that the line stays one line.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n' || text[i] == QChar(0)) {
            text.truncate(i);
            break;
        }
    }
    QByteArray bytes = encoding == SettingsEncoding::Latin1 && fitsLatin1(text) ? text.toLatin1() : text.toUtf8();
    // Doubled, so that a quote in a file name or an alarm text does not end the field.
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

// A write may stop short without an error, as when the disk fills up; the next one then says why.
bool writeAll(QIODevice& device, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// The rename itself on the disk; where the folder cannot be synced, the rename stands all the same.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// A value the window never had is left empty, and reads back as not set.
QByteArray number(std::optional<int> value)
{
    return value ? QByteArray::number(*value) : QByteArray();
}

// The content of a UTF-16 file (one that starts with its byte order mark) as UTF-8; an empty
// result when it is not valid UTF-16. Anything else is returned as it is.
std::optional<QByteArray> asUtf8(const QByteArray& content)
{
    const bool little = content.startsWith("\xff\xfe");
    if (!little && !content.startsWith("\xfe\xff"))
        return content;
    QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(content.mid(2));
    if (decoder.hasError() || content.size() % 2 != 0)
        return std::nullopt;
    return text.toUtf8();
}
} // namespace

QString SettingsFile::path() const
{
    return SettingsLocation::savePath();
}

std::optional<SettingsRecord> SettingsFile::read()
{
    m_readFrom = SettingsLocation::readPath();
    m_damaged = false;
    m_copyKept = false;
    m_read = SettingsRecord{};
    if (m_readFrom.isEmpty())
        return std::nullopt;
    const auto cannotRead = [this](const QString& reason) {
        m_damage = reason;
        qCWarning(lcSettings).noquote() << QStringLiteral("cannot read %1: %2").arg(m_readFrom, reason);
    };
    // Another user's file, or a link of theirs, could say anything; it is not ours to keep a copy of either.
    QString notOurs;
    const QString own = SettingsLocation::ownFile(m_readFrom, &notOurs);
    if (own.isEmpty()) {
        cannotRead(notOurs);
        return std::nullopt;
    }
    const QByteArray name = QFile::encodeName(own);

    // Looked at before it is opened: opening a named pipe or a device may wait for ever.
    struct stat status {};
    if (::stat(name.constData(), &status) != 0) {
        cannotRead(errnoText(errno));
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        cannotRead(kindOf(status.st_mode));
        return std::nullopt;
    }
    // Non-blocking all the same, should something else take the file's place in between.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        cannotRead(errnoText(error));
        m_damaged = error != ENOENT;
        return std::nullopt;
    }
    QByteArray content;
    int error = 0;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = errno ? errno : EINVAL;
    } else {
        // Sized by the file, not by the limit: the line is a few dozen bytes. One byte more than the
        // file shows whether it grew meanwhile.
        content.resize(qsizetype(std::min<qint64>(status.st_size, readLimit) + 1));
        qsizetype done = 0;
        for (;;) {
            if (done == content.size()) {
                if (done > readLimit)
                    break;
                content.resize(qsizetype(std::min<qint64>(qint64(done) * 2, readLimit + 1)));
            }
            const ssize_t got = ::read(fd, content.data() + done, size_t(content.size() - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                error = errno;
            if (got <= 0)
                break;
            done += got;
        }
        content.truncate(done);
    }
    ::close(fd);
    if (error != 0) {
        cannotRead(errnoText(error));
        m_damaged = true;
        return std::nullopt;
    }

    QStringList faults;
    if (content.size() > readLimit) {
        content.truncate(readLimit);
        faults << tr("it is longer than a settings file can be");
    }
    const std::optional<QByteArray> text = asUtf8(content);
    if (!text) {
        cannotRead(tr("it starts as UTF-16 text but is not"));
        m_damaged = true;
        return std::nullopt;
    }
    bool whole = true;
    const SettingsRecord record = parse(*text, &whole);
    if (!whole && !content.isEmpty())
        faults << tr("not all of its five values could be read");
    if (!faults.isEmpty()) {
        cannotRead(tr("%1; what could be read is used").arg(faults.join(QStringLiteral("; "))));
        m_damaged = true;
    }
    m_read = record;
    return record;
}

bool SettingsFile::fail(const QString& path, const QString& reason)
{
    m_failedPath = path;
    m_failure = reason;
    // A save tried again and again for the same reason says so once.
    const QString told = QStringLiteral("cannot save %1: %2").arg(path, reason);
    if (told != m_told)
        qCWarning(lcSettings).noquote() << told;
    m_told = told;
    return false;
}

bool SettingsFile::damagedIsSaveTarget(const QString& file) const
{
    return m_damaged && QFileInfo(m_readFrom).canonicalFilePath() == QFileInfo(file).canonicalFilePath();
}

QString SettingsFile::keepDamagedCopy()
{
    const QString target = SettingsLocation::ownFile(path());
    if (m_copyKept || target.isEmpty() || !QFileInfo::exists(target) || !damagedIsSaveTarget(target))
        return m_copyKept ? target + QStringLiteral(".bad") : QString();
    m_copyKept = keepDamagedCopy(target);
    return m_copyKept ? target + QStringLiteral(".bad") : QString();
}

bool SettingsFile::keepDamagedCopy(const QString& file)
{
    const QByteArray from = QFile::encodeName(file);
    const QString bad = file + QStringLiteral(".bad");
    const QString fresh = bad + QStringLiteral(".new");
    // A name another user holds, or a link, is neither replaced nor written through.
    for (const QString& name : {bad, fresh}) {
        struct stat status {};
        if (::lstat(QFile::encodeName(name).constData(), &status) == 0 &&
            (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid())) {
            qCWarning(lcSettings).noquote() << QStringLiteral("%1 is not ours to replace").arg(name);
            return false;
        }
    }
    QFile::remove(fresh);
    // A second name for the old file, then renamed over the last copy: no copying, and one step.
    const QByteArray to = QFile::encodeName(fresh);
    if (::link(from.constData(), to.constData()) != 0) {
        // A copy is a new file: as private as the one it copies.
        QFile copy(fresh);
        if (!QFile::copy(file, fresh) || !copy.open(QIODevice::ReadWrite) ||
            !PathTrust::makePrivate(copy.handle(), 0600)) {
            QFile::remove(fresh);
            return false;
        }
    }
    if (::rename(to.constData(), QFile::encodeName(bad).constData()) != 0) {
        QFile::remove(fresh);
        return false;
    }
    qCWarning(lcSettings).noquote()
        << QStringLiteral("%1 could not be read whole; the old file is kept as %2").arg(file, bad);
    return true;
}

bool SettingsFile::write(const SettingsRecord& given)
{
    m_failedPath.clear();
    m_failure.clear();
    const QString target = path();
    if (target.isEmpty())
        return fail(SettingsLocation::besideProgram(),
                    tr("the program's folder is not the user's to write, and there is no usable home folder "
                       "(HOME is not set, not writable or another user's)"));

    // A link of the user's own to a file of theirs is followed, and the file saved in place: the
    // link stays, pointing where the user keeps the file. Nothing of another user is written.
    QString notOurs;
    const QString file = SettingsLocation::ownFile(target, &notOurs);
    if (file.isEmpty())
        return fail(target, notOurs);
    struct stat status {};
    const bool exists = ::lstat(QFile::encodeName(file).constData(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode))
        return fail(target, kindOf(status.st_mode));
    const QString folder = QFileInfo(file).absolutePath();
    if (!PathTrust::makeFolders(folder))
        return fail(target, tr("its folder cannot be created"));
    // Renaming over a read-only file would succeed; the user's protection is respected instead.
    if (exists && !isWritable(file))
        return fail(target, tr("the file is read-only"));
    if (!isWritable(folder))
        return fail(target, tr("its folder is read-only"));
    if (exists && !m_copyKept && damagedIsSaveTarget(file)) {
        if (!keepDamagedCopy(file))
            return fail(target, tr("it could not be read whole, and no copy of it could be kept"));
    }

    // What the user did not change goes back as the bytes it came in.
    SettingsRecord record = given;
    record.soundPathEncoding = record.soundPath == m_read.soundPath ? m_read.soundPathEncoding : SettingsEncoding::Utf8;
    record.alarmTimeEncoding = record.alarmTime == m_read.alarmTime ? m_read.alarmTimeEncoding : SettingsEncoding::Utf8;

    // Written beside the old file and renamed over it: a failure or a kill on the way leaves the
    // old one whole. The write only fills a buffer, and the rename would go ahead after a failed
    // one, or before the data is on the disk, when a power cut would leave an empty file: so
    // everything is flushed, synced and checked before the rename. The commit syncs too, but lets a
    // failure pass, and some file systems say only there that the data did not fit.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return fail(target, out.errorString());
    if (!PathTrust::makePrivate(out.handle(), 0600)) {
        const QString reason = errnoText(errno);
        out.cancelWriting();
        return fail(target, reason);
    }
    if (!writeAll(out, format(record)) || !out.flush() || out.error() != QFileDevice::NoError ||
        ::fsync(out.handle()) != 0) {
        const QString reason = out.error() != QFileDevice::NoError ? out.errorString() : errnoText(errno);
        out.cancelWriting();
        return fail(target, reason);
    }
    if (!out.commit())
        return fail(target, out.errorString());
    syncFolder(folder);
    if (!m_told.isEmpty())
        qCInfo(lcSettings).noquote() << QStringLiteral("saved %1 after all").arg(target);
    m_told.clear();
    m_readFrom = target;
    m_read = record;
    m_damaged = false;
    m_copyKept = false;
    return true;
}

SettingsRecord SettingsFile::parse(const QByteArray& content, bool* whole)
{
    SettingsFieldReader reader(content);
    SettingsRecord record;
    const std::optional<QByteArray> sound = reader.next();
    const std::optional<QByteArray> alarm = reader.next();
    const std::optional<QByteArray> snooze = reader.next();
    const std::optional<QByteArray> fore = reader.next();
    const std::optional<QByteArray> back = reader.next();
    record.soundPath = toText(sound, record.soundPathEncoding);
    record.alarmTime = toText(alarm, record.alarmTimeEncoding);
    record.snoozeMinutes = toNumber(snooze, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
    record.foreColor = toNumber(fore, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    record.backColor = toNumber(back, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    if (whole)
        *whole = reader.whole() && record.soundPath && record.alarmTime && record.snoozeMinutes && record.foreColor &&
                 record.backColor;
    return record;
}

QByteArray SettingsFile::format(const SettingsRecord& record)
{
    return quoted(record.soundPath, record.soundPathEncoding) + ',' +
           quoted(record.alarmTime, record.alarmTimeEncoding) + ',' + number(record.snoozeMinutes) + ',' +
           number(record.foreColor) + ',' + number(record.backColor) + "\r\n";
}
