#include "sound/AlarmPlayer.h"
#include "sound/CanberraSound.h"
#include "sound/SoundModuleApi.h"

namespace {
PlayerBackend* createPlayer()
{
    return new AlarmPlayer();
}

SystemSound* desktopSound()
{
    static CanberraSound sound;
    return &sound;
}

const SoundModuleApi api{SoundModuleVersion, KESTRUNE_VERSION, createPlayer, desktopSound};
} // namespace

extern "C" __attribute__((visibility("default"))) const SoundModuleApi* kestrune_sound_module()
{
    return &api;
}
