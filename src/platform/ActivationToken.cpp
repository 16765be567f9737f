#include "platform/ActivationToken.h"

#include <QGuiApplication>

ActivationToken::ActivationToken(const QString& token)
{
    // Qt 6.4's Wayland window takes a token only from the environment, when it asks to be
    // activated, and unsets it there. So the variable is changed only on Wayland, on this thread,
    // right before that one read; the threads still running then (Qt's D-Bus connection, its
    // display reader and idle pool threads) do not read the environment, and programs started from
    // here get theirs from ChildEnvironment, never this token.
    if (token.isEmpty() || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    m_set = true;
}

ActivationToken::~ActivationToken()
{
    // Left when no window asked for it.
    if (m_set && qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"))
        qunsetenv("XDG_ACTIVATION_TOKEN");
}
