#include "platform/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// One argument of Exec: quoted, with what the quotes do not protect escaped, then written as a
// desktop entry string, which escapes backslashes again; a per cent sign would start a field code.
QString execArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    QString value;
    for (const QChar c : quoted) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'%')
            value += QStringLiteral("%%");
        else
            value += c;
    }
    return u'"' + value + u'"';
}
} // namespace

QString AutostartEntry::path()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/org.kestrune.Kestrune.desktop");
}

QString AutostartEntry::text(const QString& program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Kestrune\n"
                          "Comment=Alarm clock, started in the notification area\n"
                          "Exec=%1 %2\n"
                          "Icon=kestrune\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(program), QLatin1String(TrayOption));
}

bool AutostartEntry::exists()
{
    return QFile::exists(path());
}

QString AutostartEntry::write(const QString& program)
{
    const QString file = path();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return QStringLiteral("the folder %1 cannot be made").arg(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text(program).toUtf8()) < 0 || !out.commit())
        return out.errorString();
    return QString();
}

QString AutostartEntry::remove()
{
    QFile file(path());
    if (!file.exists() || file.remove())
        return QString();
    return file.errorString();
}
