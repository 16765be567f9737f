#include "platform/AutostartEntry.h"

#include "core/PathTrust.h"
#include "core/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <climits>
#include <unistd.h>

namespace {
// Each of these is taken otherwise by one of the two that read the entry: a per cent sign starts a
// field code for GIO, and systemd 252's generator keeps %% as two (so GIO finds no program, and the
// generator none either); a backslash, a double quote, ` and $ are dropped or refused by the
// generator however they are escaped; a control character is no part of a line.
bool startableByte(char c)
{
    return uchar(c) >= 0x20 && c != 0x7f && c != '%' && c != '\\' && c != '"' && c != '`' && c != '$';
}
} // namespace

QString AutostartEntry::path()
{
    const QString config = SettingsLocation::configHome();
    return config.isEmpty() ? QString() : config + QStringLiteral("/autostart/org.kestrune.Kestrune.desktop");
}

QByteArray AutostartEntry::runningProgram()
{
    char name[PATH_MAX];
    const ssize_t size = ::readlink("/proc/self/exe", name, sizeof name);
    if (size > 0 && size < ssize_t(sizeof name))
        return QByteArray(name, size);
    return QFile::encodeName(QCoreApplication::applicationFilePath());
}

QByteArray AutostartEntry::text(const QByteArray& program, QString* why)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8.decode(program);
    const auto refuse = [why](const QString& reason) {
        if (why)
            *why = reason;
        return QByteArray();
    };
    if (utf8.hasError())
        return refuse(tr("the program's path %1 is not UTF-8 text, which a desktop entry must be").arg(name));
    for (const char c : program) {
        if (!startableByte(c)) {
            return refuse(
                tr("the program's path %1 holds \"%2\", which the desktop cannot start at login")
                    .arg(name, uchar(c) < 0x20 || c == 0x7f ? tr("a control character") : QString(QLatin1Char(c))));
        }
    }
    if (!program.startsWith('/'))
        return refuse(tr("the program's path %1 is not absolute").arg(name));
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Kestrune\n"
                             "Comment=Alarm clock, started in the notification area\n"
                             "Exec=\"") +
           program + QByteArrayLiteral("\" ") + TrayOption +
           QByteArrayLiteral("\n"
                             "Icon=kestrune\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n");
}

bool AutostartEntry::exists()
{
    const QString file = path();
    return !file.isEmpty() && QFileInfo::exists(file);
}

QString AutostartEntry::write(const QByteArray& program)
{
    QString why;
    const QByteArray entry = text(program, &why);
    if (entry.isEmpty())
        return why;
    const QString file = path();
    if (file.isEmpty())
        return tr("there is no configuration folder of yours to keep it in (HOME is not set, not writable or "
                  "another user's)");
    // The same rule as the settings: nothing is written into a place another user can change.
    QString target;
    if (const QString untrusted = PathTrust::whyUntrusted(file, &target, PathTrust::Missing::Allowed);
        !untrusted.isEmpty())
        return tr("%1 is not written: %2").arg(file, untrusted);
    const QString folder = QFileInfo(target).absolutePath();
    if (!PathTrust::makeFolders(folder))
        return tr("the folder %1 cannot be made").arg(folder);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || !PathTrust::makePrivate(out.handle(), 0600) || out.write(entry) < 0 ||
        !out.commit())
        return tr("%1 cannot be written: %2").arg(target, out.errorString());
    return QString();
}

QString AutostartEntry::remove()
{
    QFile file(path());
    if (file.fileName().isEmpty() || !file.exists() || file.remove())
        return QString();
    return tr("%1 cannot be removed: %2").arg(file.fileName(), file.errorString());
}
