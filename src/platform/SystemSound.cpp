#include "platform/SystemSound.h"
#include "platform/CanberraSound.h"

namespace {
SystemSound* current = nullptr;

SystemSound& desktopSound()
{
    static CanberraSound sound;
    return sound;
}
} // namespace

SystemSound& SystemSound::instance()
{
    return current ? *current : desktopSound();
}

void SystemSound::setInstance(SystemSound* sound)
{
    current = sound;
}
