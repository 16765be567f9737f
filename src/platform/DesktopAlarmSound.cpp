#include "platform/DesktopAlarmSound.h"

namespace {
DesktopAlarmSound* current = nullptr;

class NoSound : public DesktopAlarmSound {
public:
    void start(const QString&) override {}
    void stop() override {}
};
} // namespace

DesktopAlarmSound& DesktopAlarmSound::instance()
{
    static NoSound none;
    return current ? *current : none;
}

void DesktopAlarmSound::setInstance(DesktopAlarmSound* sound)
{
    current = sound;
}
