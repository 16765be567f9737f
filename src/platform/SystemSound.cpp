#include "platform/SystemSound.h"

namespace {
SystemSound* current = nullptr;
SystemSound* desktop = nullptr;

// Until the sound stack is there, an alert makes no sound: nothing rings before arming anyway.
class NoSound : public SystemSound {
public:
    void play(const QString&) override {}
};
} // namespace

SystemSound& SystemSound::instance()
{
    static NoSound none;
    return current ? *current : desktop ? *desktop : none;
}

void SystemSound::setInstance(SystemSound* sound)
{
    current = sound;
}

void SystemSound::setDesktop(SystemSound* sound)
{
    desktop = sound;
}
