#include "app/StartupWarmUp.h"

#include <QDBusConnection>

#include <fontconfig/fontconfig.h>

StartupWarmUp::StartupWarmUp() : m_fonts([] { FcInit(); }) {}

StartupWarmUp::~StartupWarmUp()
{
    finish();
}

void StartupWarmUp::connectSessionBus()
{
    m_bus = std::thread([] { QDBusConnection::sessionBus(); });
}

void StartupWarmUp::finish()
{
    for (std::thread* work : {&m_fonts, &m_bus}) {
        if (work->joinable())
            work->join();
    }
}
