#pragma once

#include <QString>
#include <memory>

class PlayerBackend;
class SystemSound;

// Where the program gets its sound from. The sound stack (GStreamer, libpulse, libcanberra and what
// they pull in) lives in a module of the program's own, loaded at the first need, so a clock that
// only waits carries none of it. It is looked for beside the program first (the build tree, a
// copied program), then in the program's private library folder.
class SoundModule {
public:
    // Never null: without the module, a player that says why it cannot play.
    static std::unique_ptr<PlayerBackend> createPlayer();
    // The desktop's alert, or nullptr without the module.
    static SystemSound* desktopSound();
    // Empty once the module is loaded; otherwise why it could not be.
    static QString problem();
    // Nothing plays or is prepared: hand back to the system the heap the sound stack freed.
    static void lighten();
};
