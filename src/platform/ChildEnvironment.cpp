#include "platform/ChildEnvironment.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace {
// What each variable set for this process alone was when the program started; written before any
// other thread exists, read afterwards only.
QList<std::pair<QString, std::optional<QString>>>& kept()
{
    static QList<std::pair<QString, std::optional<QString>>> values;
    return values;
}
} // namespace

void ChildEnvironment::setForThisProcess(const char* name, const QByteArray& value)
{
    kept().append({QString::fromLatin1(name),
                   qEnvironmentVariableIsSet(name) ? std::optional(qEnvironmentVariable(name)) : std::nullopt});
    qputenv(name, value);
}

QProcessEnvironment ChildEnvironment::forChildren()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, before] : std::as_const(kept())) {
        if (before)
            environment.insert(name, *before);
        else
            environment.remove(name);
    }
    environment.remove(QStringLiteral("XDG_ACTIVATION_TOKEN"));
    return environment;
}
