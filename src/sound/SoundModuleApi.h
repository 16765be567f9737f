#pragma once

class PlayerBackend;
class SystemSound;

// What the sound module offers the program, through one entry point found by name after loading.
// The program and the module are built together: the version and the build's own version text
// must both match, or the module is not used.
struct SoundModuleApi {
    int version;
    const char* programVersion;
    PlayerBackend* (*createPlayer)();
    SystemSound* (*desktopSound)();
};

inline constexpr int SoundModuleVersion = 1;
inline constexpr const char* SoundModuleEntryName = "kestrune_sound_module";
inline constexpr const char* SoundModuleFileName = "kestrune-sound.so";
