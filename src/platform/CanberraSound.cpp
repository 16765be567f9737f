#include "platform/CanberraSound.h"

#include <canberra.h>

CanberraSound::~CanberraSound()
{
    if (m_context)
        ca_context_destroy(m_context);
}

void CanberraSound::play(const QString& path)
{
    if (!m_context && !m_failed) {
        if (ca_context_create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            m_failed = true;
        } else {
            ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Kestrune", nullptr);
        }
    }
    if (!m_context)
        return;
    // A file and an event id together play the event, so "file, else default" is two calls.
    const QByteArray file = path.toLocal8Bit();
    int result = CA_ERROR_NOTFOUND;
    if (!file.isEmpty())
        result = ca_context_play(m_context, 0, CA_PROP_MEDIA_FILENAME, file.constData(), nullptr);
    if (result != CA_SUCCESS)
        ca_context_play(m_context, 0, CA_PROP_EVENT_ID, "bell", nullptr);
}
