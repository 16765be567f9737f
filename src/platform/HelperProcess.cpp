#include "platform/HelperProcess.h"

#include "platform/Capabilities.h"
#include "platform/ChildEnvironment.h"

HelperProcess::HelperProcess(Privilege privilege, QObject* parent) : QProcess(parent)
{
    setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (privilege == Privilege::OwnCapability) {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        setProcessEnvironment(environment);
        setWorkingDirectory(QStringLiteral("/"));
    } else {
        setProcessEnvironment(ChildEnvironment::forChildren());
        setChildProcessModifier([] { Capabilities::trimHelper(Capabilities::None); });
    }
    connect(this, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        emit ended(status == QProcess::CrashExit ? tr("stopped or crashed") : tr("ended (status %1)").arg(code));
    });
    connect(this, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            emit notStarted(errorString());
    });
}
