#pragma once

#include <memory>

class PlayerBackend;
class SystemSound;

// Where the program gets its sound from: the alarm player and the desktop's alert.
class SoundModule {
public:
    static std::unique_ptr<PlayerBackend> createPlayer();
    // The desktop's alert, made once and kept for the rest of the run.
    static SystemSound& desktopSound();
};
