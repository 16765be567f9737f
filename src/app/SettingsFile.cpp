#include "app/SettingsFile.h"

// Placeholder until the reader and writer land.
QString SettingsFile::path()
{
    return {};
}

std::optional<SettingsRecord> SettingsFile::read()
{
    return std::nullopt;
}

bool SettingsFile::write(const SettingsRecord&)
{
    return false;
}

SettingsRecord SettingsFile::parse(const QByteArray&)
{
    return {};
}

QByteArray SettingsFile::format(const SettingsRecord&)
{
    return {};
}
