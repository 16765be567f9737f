#pragma once

// The process's capabilities, cut down to at most one, for good: nothing it runs later can gain any
// back. Uses the C library alone (system calls only), so it also serves a program that links
// nothing else and a child between fork and exec.
class Capabilities {
public:
    // Sets no-new-privileges, clears the ambient and inheritable sets, drops every capability but
    // `kept` (pass None for none) from the bounding set where allowed, and leaves `kept` permitted and
    // effective only if it was permitted. True when afterwards nothing else is held.
    static bool keepOnly(int kept) noexcept;
    static constexpr int None = -1;
};
