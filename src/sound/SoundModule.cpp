#include "sound/SoundModule.h"

#include "sound/AlarmPlayer.h"
#include "sound/CanberraSound.h"

std::unique_ptr<PlayerBackend> SoundModule::createPlayer()
{
    return std::make_unique<AlarmPlayer>();
}

SystemSound& SoundModule::desktopSound()
{
    static CanberraSound sound;
    return sound;
}
