#include "platform/WakeCapability.h"

#include "core/LogCategories.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool WakeCapability::restrict()
{
    // A systemd 254 login hands CAP_WAKE_ALARM down as an ambient capability: keep it from the
    // browser that About's links start, and from anything else run from here.
    if (prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0)
        qCDebug(lcPower, "cannot clear the ambient capabilities: %s", strerror(errno));

    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        qCInfo(lcPower, "cannot read the capabilities: %s", strerror(errno));
        return false;
    }
    const int word = CAP_TO_INDEX(CAP_WAKE_ALARM);
    const __u32 bit = CAP_TO_MASK(CAP_WAKE_ALARM);
    const bool wake = data[word].permitted & bit;
    // Root's children get every capability in the bounding set back at exec.
    if (wake && (data[CAP_TO_INDEX(CAP_SETPCAP)].effective & CAP_TO_MASK(CAP_SETPCAP)) &&
        prctl(PR_CAPBSET_DROP, CAP_WAKE_ALARM, 0, 0, 0) != 0)
        qCDebug(lcPower, "cannot drop CAP_WAKE_ALARM from the bounding set: %s", strerror(errno));

    __user_cap_data_struct kept[_LINUX_CAPABILITY_U32S_3] = {};
    if (wake) {
        kept[word].permitted = bit;
        kept[word].effective = bit;
    }
    if (syscall(SYS_capset, &header, kept) != 0) {
        qCInfo(lcPower, "cannot drop the other capabilities: %s", strerror(errno));
        return wake;
    }
    // Without it, the wake timer's own line says so.
    return wake;
}
