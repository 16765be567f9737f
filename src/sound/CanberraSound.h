#pragma once

#include "platform/SystemSound.h"

#include <QThreadPool>

struct ca_context;

// libcanberra through PulseAudio, on a thread of its own: the library opens what it plays in the
// calling thread and waits on the sound server, and a ring must wait on neither. Only the desktop
// theme's own alert is played, never the user's file (the player plays that).
class CanberraSound : public SystemSound {
public:
    CanberraSound();
    ~CanberraSound() override;
    void prepare() override;
    void play(const QString& path) override;

private:
    void open();

    QThreadPool m_thread;
    ca_context* m_context = nullptr; // used on m_thread only
    bool m_opened = false;
};
