#include "sound/OutputVolumeGuard.h"

#include "sound/OutputChoice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <pulse/pulseaudio.h>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
constexpr double FloorShare = 0.40;
constexpr auto RestoreWait = std::chrono::milliseconds(500);
} // namespace

// Everything below the threaded main loop's lock: callbacks run in its thread with the lock held,
// our calls take it for the moment they issue a request.
struct OutputVolumeGuard::State {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    bool wanted = false; // engaged by the caller
    // The outputs we changed, each with the values we owe the user.
    struct Saved {
        std::string sink;
        pa_cvolume volume{};
        int mute = 0;
    };
    std::vector<Saved> saved;
    int pending = 0; // requests that put values back, not yet answered
    std::function<void(const std::string&)> raised;
    std::atomic<bool> pipeWire = false; // the server is PipeWire's PulseAudio server

    // The outputs as last listed, for the choice of a second one; the choice is read from other threads.
    std::string defaultSink;
    std::vector<OutputChoice::Output> outputs;
    bool listing = false;
    bool relist = false;
    mutable std::mutex secondMutex;
    std::string second;
    std::function<void(const std::string&)> secondChanged;

    bool changed() const { return !saved.empty(); }
    bool owes(const std::string& sink) const
    {
        return std::any_of(saved.begin(), saved.end(), [&](const Saved& v) { return v.sink == sink; });
    }

    bool ready() const { return context && pa_context_get_state(context) == PA_CONTEXT_READY; }

    void connect()
    {
        if (!loop) {
            loop = pa_threaded_mainloop_new();
            if (!loop || pa_threaded_mainloop_start(loop) < 0) {
                if (loop)
                    pa_threaded_mainloop_free(loop);
                loop = nullptr;
                return;
            }
        }
        pa_threaded_mainloop_lock(loop);
        if (context) {
            const pa_context_state_t s = pa_context_get_state(context);
            if (s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED) {
                // The server went away: whatever we changed there is gone with it.
                pa_context_unref(context);
                context = nullptr;
                saved.clear();
                tell();
            }
        }
        if (!context) {
            pa_proplist* props = pa_proplist_new();
            pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Kestrune");
            pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "kestrune");
            context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), "Kestrune", props);
            pa_proplist_free(props);
            if (context) {
                pa_context_set_state_callback(context, stateChanged, this);
                if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
                    pa_context_unref(context);
                    context = nullptr;
                }
            }
        }
        pa_threaded_mainloop_unlock(loop);
    }

    static void stateChanged(pa_context* c, void* data)
    {
        auto* s = static_cast<State*>(data);
        if (c != s->context || pa_context_get_state(c) != PA_CONTEXT_READY)
            return;
        // Our stream may reach the server after the ring began, or move: we hear of it then. Outputs
        // that come and go, and a new default, may change where a ring plays.
        pa_context_set_subscribe_callback(c, streamEvent, s);
        const auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK_INPUT | PA_SUBSCRIPTION_MASK_SINK |
                                                 PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation* o = pa_context_subscribe(c, mask, nullptr, nullptr))
            pa_operation_unref(o);
        if (pa_operation* o = pa_context_get_server_info(c, serverInfo, s))
            pa_operation_unref(o);
        if (s->wanted)
            s->lookAtOutput();
        else if (!s->wanted)
            s->restore();
    }

    static void serverInfo(pa_context* c, const pa_server_info* info, void* data)
    {
        auto* s = static_cast<State*>(data);
        // "PulseAudio (on PipeWire 0.3.65)"
        if (info && info->server_name)
            s->pipeWire = std::string_view(info->server_name).find("PipeWire") != std::string_view::npos;
        if (!info)
            return;
        if (s->listing) {
            s->relist = true; // asked again once the list on its way is in
            return;
        }
        s->defaultSink = info->default_sink_name ? info->default_sink_name : "";
        s->outputs.clear();
        if (pa_operation* o = pa_context_get_sink_info_list(c, listedSink, s)) {
            s->listing = true;
            pa_operation_unref(o);
        }
    }

    static void listedSink(pa_context* c, const pa_sink_info* info, int eol, void* data)
    {
        auto* s = static_cast<State*>(data);
        if (!eol && info) {
            const auto property = [&](const char* name) {
                const char* value = pa_proplist_gets(info->proplist, name);
                return std::string(value ? value : "");
            };
            // PipeWire's own spelling, where its PulseAudio server passes it on unchanged.
            std::string formFactor = property(PA_PROP_DEVICE_FORM_FACTOR);
            if (formFactor.empty())
                formFactor = property("device.form-factor");
            s->outputs.push_back({info->name, formFactor, property(PA_PROP_DEVICE_BUS),
                                  info->active_port && info->active_port->name ? info->active_port->name : ""});
            return;
        }
        s->listing = false;
        if (std::exchange(s->relist, false)) {
            if (pa_operation* o = pa_context_get_server_info(c, serverInfo, s))
                pa_operation_unref(o);
            return;
        }
        const std::string choice = OutputChoice::secondOutput(s->defaultSink, s->outputs);
        {
            std::lock_guard lock(s->secondMutex);
            if (choice == s->second)
                return;
            s->second = choice;
        }
        if (s->secondChanged)
            s->secondChanged(choice);
    }

    // With the lock held. The output that matters is the one our alarm stream plays on, which the
    // sound server may route elsewhere than the default (the user's choice, kept for the stream).
    void lookAtOutput()
    {
        if (pa_operation* o = pa_context_get_sink_input_info_list(context, streamInfo, this))
            pa_operation_unref(o);
    }

    static void streamEvent(pa_context* c, pa_subscription_event_type_t type, uint32_t index, void* data)
    {
        auto* s = static_cast<State*>(data);
        const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        if (facility != PA_SUBSCRIPTION_EVENT_SINK_INPUT) {
            // An output added or removed, another port chosen, a new default: listed again.
            if (pa_operation* o = pa_context_get_server_info(c, serverInfo, s))
                pa_operation_unref(o);
            return;
        }
        if (!s->wanted || kind == PA_SUBSCRIPTION_EVENT_REMOVE)
            return;
        if (pa_operation* o = pa_context_get_sink_input_info(c, index, streamInfo, s))
            pa_operation_unref(o);
    }

    static bool ours(const pa_sink_input_info* info)
    {
        static const std::string pid = std::to_string(::getpid());
        const char* process = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
        const char* role = pa_proplist_gets(info->proplist, PA_PROP_MEDIA_ROLE);
        return process && role && pid == process && std::string_view(role) == "alarm";
    }

    static void streamInfo(pa_context* c, const pa_sink_input_info* info, int eol, void* data)
    {
        auto* s = static_cast<State*>(data);
        if (eol || !info || !s->wanted || !ours(info))
            return;
        if (pa_operation* o = pa_context_get_sink_info_by_index(c, info->sink, sinkInfo, s))
            pa_operation_unref(o);
    }

    static void sinkInfo(pa_context* c, const pa_sink_info* info, int eol, void* data)
    {
        auto* s = static_cast<State*>(data);
        // Each output a ring plays on is raised once, from what the user had.
        if (eol || !info || !s->wanted || s->owes(info->name))
            return;
        const pa_volume_t floor = floorVolume();
        const bool low = pa_cvolume_max(&info->volume) < floor;
        if (!info->mute && !low)
            return;
        s->saved.push_back({info->name, info->volume, info->mute});
        s->tell();
        if (low) {
            pa_cvolume raised = info->volume;
            for (unsigned i = 0; i < raised.channels; ++i)
                raised.values[i] = std::max(raised.values[i], floor);
            if (pa_operation* o = pa_context_set_sink_volume_by_name(c, info->name, &raised, nullptr, nullptr))
                pa_operation_unref(o);
        }
        if (info->mute) {
            if (pa_operation* o = pa_context_set_sink_mute_by_name(c, info->name, 0, nullptr, nullptr))
                pa_operation_unref(o);
        }
    }

    static void restored(pa_context*, int, void* data)
    {
        auto* s = static_cast<State*>(data);
        --s->pending;
        pa_threaded_mainloop_signal(s->loop, 0);
    }

    // With the lock held: what the user had, or nothing once it is back.
    void tell() const
    {
        if (!raised)
            return;
        // Three lines an output: mute, the channels' volumes, the output's name.
        std::ostringstream text;
        for (const Saved& v : saved) {
            text << v.mute << '\n';
            for (unsigned i = 0; i < v.volume.channels; ++i)
                text << (i ? "," : "") << v.volume.values[i];
            text << '\n' << v.sink << '\n';
        }
        raised(text.str());
    }

    // With the lock held. A server not reached yet gets the values back once it is.
    void restore()
    {
        if (!changed() || !ready())
            return;
        const std::vector<Saved> owed = std::exchange(saved, {});
        tell();
        for (const Saved& v : owed) {
            if (pa_operation* o =
                    pa_context_set_sink_volume_by_name(context, v.sink.c_str(), &v.volume, restored, this)) {
                ++pending;
                pa_operation_unref(o);
            }
            if (pa_operation* o = pa_context_set_sink_mute_by_name(context, v.sink.c_str(), v.mute, restored, this)) {
                ++pending;
                pa_operation_unref(o);
            }
        }
    }
};

unsigned int OutputVolumeGuard::floorVolume()
{
    return pa_volume_t(FloorShare * PA_VOLUME_NORM);
}

OutputVolumeGuard::OutputVolumeGuard() : m_state(std::make_unique<State>()) {}

OutputVolumeGuard::~OutputVolumeGuard()
{
    State& s = *m_state;
    if (!s.loop)
        return;
    release();
    // The user's values must be back before we go, but a server that does not answer cannot keep
    // the program from ending.
    const auto deadline = std::chrono::steady_clock::now() + RestoreWait;
    for (;;) {
        pa_threaded_mainloop_lock(s.loop);
        const bool done = s.pending <= 0 || !s.ready();
        pa_threaded_mainloop_unlock(s.loop);
        if (done || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pa_threaded_mainloop_lock(s.loop);
    if (s.context) {
        pa_context_set_state_callback(s.context, nullptr, nullptr);
        pa_context_set_subscribe_callback(s.context, nullptr, nullptr);
        pa_context_disconnect(s.context);
        pa_context_unref(s.context);
        s.context = nullptr;
    }
    pa_threaded_mainloop_unlock(s.loop);
    pa_threaded_mainloop_stop(s.loop);
    pa_threaded_mainloop_free(s.loop);
}

qint64 OutputVolumeGuard::outputLeadMicroseconds() const
{
    return m_state->pipeWire ? PipeWireLeadMicroseconds : PulseAudioLeadMicroseconds;
}

void OutputVolumeGuard::connectAhead()
{
    m_state->connect();
}

void OutputVolumeGuard::engage()
{
    State& s = *m_state;
    s.connect();
    if (!s.loop)
        return;
    pa_threaded_mainloop_lock(s.loop);
    s.wanted = true;
    if (s.ready())
        s.lookAtOutput();
    pa_threaded_mainloop_unlock(s.loop);
}

void OutputVolumeGuard::release()
{
    State& s = *m_state;
    if (!s.loop)
        return;
    pa_threaded_mainloop_lock(s.loop);
    s.wanted = false;
    s.restore();
    pa_threaded_mainloop_unlock(s.loop);
}

void OutputVolumeGuard::setRaisedCallback(std::function<void(const std::string& saved)> raised)
{
    m_state->raised = std::move(raised);
}

void OutputVolumeGuard::adopt(const std::string& saved)
{
    std::vector<State::Saved> owed;
    std::istringstream text(saved);
    for (std::string mute, volumes, sink;
         std::getline(text, mute) && std::getline(text, volumes) && std::getline(text, sink);) {
        if ((mute != "0" && mute != "1") || sink.empty())
            return;
        pa_cvolume volume{};
        std::istringstream values(volumes);
        for (std::string value; std::getline(values, value, ',');) {
            char* end = nullptr;
            const unsigned long v = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end || v > PA_VOLUME_MAX || volume.channels == PA_CHANNELS_MAX)
                return;
            volume.values[volume.channels++] = pa_volume_t(v);
        }
        if (!pa_cvolume_valid(&volume))
            return;
        owed.push_back({sink, volume, mute == "1"});
    }
    if (owed.empty())
        return;
    State& s = *m_state;
    s.connect();
    if (!s.loop)
        return;
    pa_threaded_mainloop_lock(s.loop);
    for (State::Saved& v : owed)
        if (!s.owes(v.sink))
            s.saved.push_back(std::move(v));
    // Still owed by this process, until it is put back.
    s.tell();
    if (!s.wanted)
        s.restore();
    pa_threaded_mainloop_unlock(s.loop);
}

std::string OutputVolumeGuard::secondOutput() const
{
    std::lock_guard lock(m_state->secondMutex);
    return m_state->second;
}

void OutputVolumeGuard::setSecondOutputCallback(std::function<void(const std::string& output)> changed)
{
    m_state->secondChanged = std::move(changed);
}
