#pragma once

// The process's capabilities, trimmed at start-up before any thread exists (capabilities are per
// thread): only CAP_WAKE_ALARM is kept, for the wake timer, and nothing the program starts inherits it.
class WakeCapability {
public:
    // Clears the ambient and inheritable sets and leaves CAP_WAKE_ALARM alone in the permitted and
    // effective sets when it was there. True when the program may set a wake timer.
    static bool restrict();
};
