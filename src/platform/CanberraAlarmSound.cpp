#include "platform/CanberraAlarmSound.h"

#include "core/LogCategories.h"
#include "core/PathTrust.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <canberra.h>
#include <dlfcn.h>

namespace {
// The one id every copy plays under, so that one cancel silences whichever copy plays.
constexpr std::uint32_t CopyId = 1;
// A copy that could not start (no sound server yet) is tried again after this long.
constexpr int RetryMilliseconds = 2000;

CanberraAlarmSound* current = nullptr; // the object's thread only
} // namespace

struct CanberraAlarmSound::Library {
    decltype(&ca_context_create) create = nullptr;
    decltype(&ca_context_destroy) destroy = nullptr;
    decltype(&ca_context_play_full) play = nullptr;
    decltype(&ca_context_cancel) cancel = nullptr;
    decltype(&ca_proplist_create) proplistCreate = nullptr;
    decltype(&ca_proplist_destroy) proplistDestroy = nullptr;
    decltype(&ca_proplist_sets) proplistSets = nullptr;
    decltype(&ca_strerror) strerror = nullptr;
};

CanberraAlarmSound::CanberraAlarmSound()
{
    m_thread.setMaxThreadCount(1);
    m_thread.setExpiryTimeout(-1);
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryMilliseconds);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (const quint64 copy = m_wanted)
            m_thread.start([this, copy, fallback = m_fallback] { playCopy(copy, fallback); });
    });
    current = this;
}

CanberraAlarmSound::~CanberraAlarmSound()
{
    current = nullptr;
    m_wanted = 0;
    m_thread.start([this] {
        if (m_context)
            m_library->destroy(m_context);
        m_context = nullptr;
    });
    m_thread.waitForDone(2000);
}

QString CanberraAlarmSound::libraryPath()
{
    return QStringLiteral(KESTRUNE_SYSTEM_LIBDIR "/libcanberra.so.0");
}

void CanberraAlarmSound::start(const QString& fallback)
{
    if (m_wanted)
        return;
    m_fallback = fallback;
    const quint64 copy = ++m_starts;
    m_wanted = copy;
    m_thread.start([this, copy, fallback] { playCopy(copy, fallback); });
}

void CanberraAlarmSound::stop()
{
    if (!m_wanted)
        return;
    m_wanted = 0;
    m_retry.stop();
    m_thread.start([this] {
        if (m_context)
            m_library->cancel(m_context, CopyId);
    });
}

bool CanberraAlarmSound::load()
{
    if (m_loadTried)
        return m_context;
    m_loadTried = true;
    // Loaded into a program that may hold a capability: only the system's own copy, which only root
    // can change, never one a library path or another user could put first.
    QString resolved;
    if (const QString why = PathTrust::whyUntrusted(libraryPath(), &resolved); !why.isEmpty()) {
        qCWarning(lcSound, "the desktop's alarm sound cannot be played: %s", qPrintable(why));
        return false;
    }
    void* handle = ::dlopen(QFile::encodeName(resolved).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qCWarning(lcSound, "the desktop's alarm sound cannot be played: %s", ::dlerror());
        return false;
    }
    auto library = std::make_unique<Library>();
    const auto symbol = [handle](auto& pointer, const char* name) {
        pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(::dlsym(handle, name));
        return pointer != nullptr;
    };
    if (!symbol(library->create, "ca_context_create") || !symbol(library->destroy, "ca_context_destroy") ||
        !symbol(library->play, "ca_context_play_full") || !symbol(library->cancel, "ca_context_cancel") ||
        !symbol(library->proplistCreate, "ca_proplist_create") ||
        !symbol(library->proplistDestroy, "ca_proplist_destroy") ||
        !symbol(library->proplistSets, "ca_proplist_sets") || !symbol(library->strerror, "ca_strerror")) {
        // Kept loaded: its threads, if any started, must not lose their code.
        qCWarning(lcSound, "the desktop's alarm sound cannot be played: %s is not libcanberra", qPrintable(resolved));
        return false;
    }
    if (library->create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return false;
    }
    m_library = std::move(library);
    return true;
}

void CanberraAlarmSound::playCopy(quint64 copy, const QString& fallback)
{
    if (m_wanted != copy || !load())
        return;
    const auto finished = [](ca_context*, std::uint32_t, int error, void* data) {
        const auto copy = quint64(reinterpret_cast<quintptr>(data));
        // Told on the library's own thread; what follows is decided on the object's.
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [copy, error] {
                if (current)
                    current->ended(copy, error);
            });
    };
    int result = CA_ERROR_NOTFOUND;
    for (int attempt = 0; attempt < 2 && result == CA_ERROR_NOTFOUND; ++attempt) {
        ca_proplist* props = nullptr;
        if (m_library->proplistCreate(&props) != CA_SUCCESS)
            return;
        m_library->proplistSets(props, CA_PROP_APPLICATION_NAME, "Kestrune");
        m_library->proplistSets(props, CA_PROP_APPLICATION_ICON_NAME, "kestrune");
        m_library->proplistSets(props, CA_PROP_EVENT_DESCRIPTION, "Alarm");
        // Not the "event" role, whose level desktops turn down as their system sounds.
        m_library->proplistSets(props, CA_PROP_MEDIA_ROLE, "alarm");
        if (m_themeMissing)
            m_library->proplistSets(props, CA_PROP_MEDIA_FILENAME, QFile::encodeName(fallback).constData());
        else
            m_library->proplistSets(props, CA_PROP_EVENT_ID, "alarm-clock-elapsed");
        result = m_library->play(m_context, CopyId, props, finished, reinterpret_cast<void*>(quintptr(copy)));
        m_library->proplistDestroy(props);
        if (result == CA_ERROR_NOTFOUND && !m_themeMissing) {
            qCWarning(lcSound, "the sound theme has no alarm; the built-in tone plays in its place");
            m_themeMissing = true;
        } else {
            break;
        }
    }
    // Said once, not at every try while, say, no sound server answers.
    if (result != CA_SUCCESS && result != m_lastResult)
        qCWarning(lcSound, "the desktop's alarm sound cannot be played: %s", m_library->strerror(result));
    m_lastResult = result;
    if (result != CA_SUCCESS)
        finished(m_context, CopyId, result, reinterpret_cast<void*>(quintptr(copy)));
}

void CanberraAlarmSound::ended(quint64 copy, int error)
{
    // Stopped, or a copy of an earlier start: nothing follows.
    if (copy != m_wanted)
        return;
    if (error == CA_SUCCESS)
        m_thread.start([this, copy, fallback = m_fallback] { playCopy(copy, fallback); });
    else if (error != CA_ERROR_CANCELED)
        m_retry.start();
}
