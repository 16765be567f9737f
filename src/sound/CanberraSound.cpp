#include "sound/CanberraSound.h"

#include <canberra.h>

CanberraSound::CanberraSound()
{
    // One thread, so the calls keep their order; it ends when idle and comes back when needed.
    m_thread.setMaxThreadCount(1);
    m_thread.setExpiryTimeout(60000);
}

CanberraSound::~CanberraSound()
{
    m_thread.waitForDone(1000);
    if (m_thread.activeThreadCount() == 0 && m_context)
        ca_context_destroy(m_context);
}

void CanberraSound::open()
{
    if (m_opened)
        return;
    m_opened = true;
    if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return;
    }
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Kestrune", CA_PROP_APPLICATION_ICON_NAME, "kestrune",
                            nullptr);
    // Connects to the sound server now rather than at the first alert.
    ca_context_open(m_context);
}

void CanberraSound::prepare()
{
    m_thread.start([this] { open(); });
}

void CanberraSound::play(const QString&)
{
    m_thread.start([this] {
        open();
        if (!m_context)
            return;
        // The theme's short bell, as when the user's file was handed over and refused: the
        // theme's own file, never the user's, which could be anything (even a FIFO) and is the
        // player's business. A long alert here would only cover the fade's quiet start.
        ca_context_play(m_context, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_MEDIA_ROLE, "event", nullptr);
    });
}
