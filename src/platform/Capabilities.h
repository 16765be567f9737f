#pragma once

// The process's capabilities, cut down to at most one: the one place for the program and for its
// helpers. Uses the C library alone (system calls only), so it also serves a program that links
// nothing else and a child between fork and exec.
class Capabilities {
public:
    // The program itself, first thing, while it is the only thread (capabilities are per thread):
    // clears the ambient and inheritable sets and keeps CAP_WAKE_ALARM alone, when it was permitted,
    // for the wake timer; nothing the program starts inherits it, nor gets it back from the bounding
    // set. No no-new-privileges: the wake program must still gain its file capability at exec.
    // True when the program may set a wake timer; `failed` names a step that failed, else null.
    static bool trimProgram(const char*& failed) noexcept;
    // A helper of ours (the sound program, the wake program), for good: sets no-new-privileges,
    // clears the ambient and inheritable sets, drops every capability but `kept` (pass None for none)
    // from the bounding set where allowed, and leaves `kept` permitted and effective only if it was
    // permitted. True when afterwards nothing else is held.
    static bool trimHelper(int kept) noexcept;
    static constexpr int None = -1;
};
