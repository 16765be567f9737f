#include "platform/Capabilities.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
using CapData = __user_cap_data_struct[_LINUX_CAPABILITY_U32S_3];

bool permitted(const CapData& data, int cap)
{
    return cap >= 0 && (data[CAP_TO_INDEX(cap)].permitted & CAP_TO_MASK(cap));
}

// Leaves `kept` alone permitted and effective, if it was permitted; the inheritable set empty.
bool keepOnlyPermitted(int kept, const CapData& now, CapData& left)
{
    if (permitted(now, kept)) {
        left[CAP_TO_INDEX(kept)].permitted = CAP_TO_MASK(kept);
        left[CAP_TO_INDEX(kept)].effective = CAP_TO_MASK(kept);
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, left) == 0;
}

bool read(CapData& data)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}
} // namespace

bool Capabilities::trimProgram(const char*& failed) noexcept
{
    failed = nullptr;
    // A systemd 254 login hands CAP_WAKE_ALARM down as an ambient capability: keep it from the
    // browser that About's links start, and from anything else run from here.
    if (::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0)
        failed = "clear the ambient capabilities";
    CapData data = {};
    if (!read(data)) {
        failed = "read the capabilities";
        return false;
    }
    const bool wake = permitted(data, CAP_WAKE_ALARM);
    // Root's children get every capability in the bounding set back at exec.
    if (wake && (data[CAP_TO_INDEX(CAP_SETPCAP)].effective & CAP_TO_MASK(CAP_SETPCAP)) &&
        ::prctl(PR_CAPBSET_DROP, CAP_WAKE_ALARM, 0, 0, 0) != 0)
        failed = "drop CAP_WAKE_ALARM from the bounding set";
    CapData left = {};
    if (!keepOnlyPermitted(CAP_WAKE_ALARM, data, left))
        failed = "drop the other capabilities";
    return wake;
}

bool Capabilities::trimHelper(int kept) noexcept
{
    // No exec from here on grants anything: not a file capability, not a set-user-id bit.
    const bool noNew = ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
    ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    // Root's execs get the bounding set back; dropping from it needs CAP_SETPCAP, which only such a
    // process has. The kernel may know more capabilities than these headers: asked until it says no.
    for (int c = 0; c < 64 && ::prctl(PR_CAPBSET_READ, c, 0, 0, 0) >= 0; ++c) {
        if (c != kept)
            ::prctl(PR_CAPBSET_DROP, c, 0, 0, 0);
    }
    CapData data = {};
    CapData left = {};
    if (!read(data) || !keepOnlyPermitted(kept, data, left) || !read(data))
        return false;
    for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i) {
        if (data[i].permitted != left[i].permitted || data[i].inheritable != 0)
            return false;
    }
    return noNew;
}
