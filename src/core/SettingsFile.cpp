#include "core/SettingsFile.h"

#include "core/ExecutableFolder.h"
#include "core/SettingsFieldReader.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <limits>

namespace {
const QString fileName = QStringLiteral("settings.txt");
// Five short values; whatever a damaged or mistaken file holds beyond this is never needed.
constexpr qint64 readLimit = 1 << 20;

// Writable for us and not marked read-only. The permission check alone says yes to root for
// everything, and then a file the user protected would be replaced.
bool isWritable(const QString& path)
{
    const QFileInfo info(path);
    return info.isWritable() && info.permissions().testFlag(QFileDevice::WriteOwner);
}

void complain(const char* what, const QString& path, const QString& reason)
{
    qWarning().noquote() << QStringLiteral("kestrune: cannot %1 %2: %3").arg(QLatin1String(what), path, reason);
}

// Text is stored as UTF-8, the usual encoding of text files here. A byte order mark inside a value
// is part of it: dropping it would change the value at every save.
std::optional<QString> toText(const std::optional<QByteArray>& field)
{
    if (!field)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(*field);
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

QByteArray quoted(const std::optional<QString>& text)
{
    QByteArray bytes = text.value_or(QString()).toUtf8();
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

// A value the window never had is left empty, and reads back as not set.
QByteArray number(std::optional<int> value)
{
    return value ? QByteArray::number(*value) : QByteArray();
}
} // namespace

QString SettingsFile::path()
{
    const QString folder = ExecutableFolder::path();
    const QString userConfig = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // Installed for all users, the program's folder is not ours to write: the settings then live
    // in the user's own configuration folder, for reading as well, so that they come back. Named
    // here rather than after the application's names, so that it is ~/.config/kestrune.
    if (isWritable(folder) || userConfig.isEmpty())
        return QDir(folder).filePath(fileName);
    return QDir(userConfig).filePath(QStringLiteral("kestrune/") + fileName);
}

std::optional<SettingsRecord> SettingsFile::read()
{
    const QString filePath = path();
    QFile file(filePath);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        complain("read", filePath, file.errorString());
        return std::nullopt;
    }
    const QByteArray content = file.read(readLimit);
    if (file.error() != QFileDevice::NoError) {
        complain("read", filePath, file.errorString());
        return std::nullopt;
    }
    return parse(content);
}

bool SettingsFile::write(const SettingsRecord& record)
{
    const QString filePath = path();
    const QFileInfo info(filePath);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder)) {
        complain("save", filePath, QStringLiteral("its folder cannot be created"));
        return false;
    }
    // Renaming over a read-only file would succeed; the user's protection is respected instead.
    if (info.exists() && !isWritable(filePath)) {
        complain("save", filePath, QStringLiteral("the file is read-only"));
        return false;
    }
    if (!isWritable(folder)) {
        complain("save", filePath, QStringLiteral("its folder is read-only"));
        return false;
    }
    // Written beside the old file and renamed over it: a failure or a kill on the way leaves the
    // old one whole.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        complain("save", filePath, file.errorString());
        return false;
    }
    if (!writeAll(file, format(record)) || !file.commit()) {
        complain("save", filePath, file.errorString());
        return false;
    }
    return true;
}

SettingsRecord SettingsFile::parse(const QByteArray& content)
{
    SettingsFieldReader reader(content);
    SettingsRecord record;
    record.soundPath = toText(reader.next());
    record.alarmTime = toText(reader.next());
    record.snoozeMinutes =
        toNumber(reader.next(), std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
    record.foreColor = toNumber(reader.next(), std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    record.backColor = toNumber(reader.next(), std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    return record;
}

QByteArray SettingsFile::format(const SettingsRecord& record)
{
    return quoted(record.soundPath) + ',' + quoted(record.alarmTime) + ',' + number(record.snoozeMinutes) + ',' +
           number(record.foreColor) + ',' + number(record.backColor) + "\r\n";
}
