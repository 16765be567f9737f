#pragma once

#include <QString>
#include <memory>

class PlayerBackend;
class SystemSound;

// Where the sound process gets its sound from: the sound stack (GStreamer, libpulse, libcanberra and
// what they pull in) lives in a module of the program's own. It is looked for beside the sound
// program first (the build tree, a copied program, the private library folder), then in the
// private library folder next to it.
class SoundModule {
public:
    // Never null: without the module, a player that says why it cannot play.
    static std::unique_ptr<PlayerBackend> createPlayer();
    // The desktop's alert, or nullptr without the module.
    static SystemSound* desktopSound();
    // Empty once the module is loaded; otherwise why it could not be.
    static QString problem();
};
