#pragma once

#include "platform/SystemSound.h"

struct ca_context;

// libcanberra through PulseAudio. It plays WAV and Ogg only, so an MP3 fails at once and the
// theme's short "bell" plays instead.
class CanberraSound : public SystemSound {
public:
    ~CanberraSound() override;
    void play(const QString& path) override;

private:
    ca_context* m_context = nullptr;
    bool m_failed = false;
};
