#include "platform/Capabilities.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

bool Capabilities::keepOnly(int kept) noexcept
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
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    __user_cap_data_struct left[_LINUX_CAPABILITY_U32S_3] = {};
    if (kept >= 0 && (data[CAP_TO_INDEX(kept)].permitted & CAP_TO_MASK(kept))) {
        left[CAP_TO_INDEX(kept)].permitted = CAP_TO_MASK(kept);
        left[CAP_TO_INDEX(kept)].effective = CAP_TO_MASK(kept);
    }
    if (::syscall(SYS_capset, &header, left) != 0)
        return false;
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; ++i) {
        if (data[i].permitted != left[i].permitted || data[i].inheritable != 0)
            return false;
    }
    return noNew;
}
