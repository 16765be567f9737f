#pragma once

#include <sys/types.h>

// Whom the wake program serves: no wider circle than systemd 254 and later give CAP_WAKE_ALARM to,
// a regular user (UID_MIN to UID_MAX of login.defs, not nobody) with a session on a local seat.
// Where logind is not running the sessions cannot be told, and only the account is asked. Plain C
// library calls on files, for a program that links nothing else.
class WakeCaller {
public:
    // Where it looks; tests point them at files of their own.
    struct Places {
        const char* loginDefs = "/etc/login.defs";
        const char* accounts = "/etc/passwd";
        // systemd's runtime folder: system/ tells a system started by it, sessions/ holds logind's.
        const char* systemdRun = "/run/systemd";
        const char* sessionId = "/proc/self/sessionid";
    };

    // Null when the user is served; otherwise why not.
    static const char* refusal(uid_t user, const Places& places);
};
