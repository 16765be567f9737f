#pragma once

#include <cstddef>
#include <ctime>
#include <string_view>

// One line of the wake program's input: a moment of the wall clock in seconds since the epoch. It is
// taken only as a plain decimal number for a moment still ahead and at most two days away, so that
// whatever writes to the program can do no more than the alarm itself would.
class WakeRequest {
public:
    static constexpr time_t FarthestSeconds = 2 * 24 * 60 * 60;
    // Longer lines are no time at all; they are refused without being kept.
    static constexpr std::size_t LongestLine = 64;

    static WakeRequest parse(std::string_view line, time_t now);

    bool accepted() const { return m_refusal == nullptr; }
    time_t when() const { return m_when; }
    // Why the line changes nothing; null when it was accepted.
    const char* refusal() const { return m_refusal; }

private:
    time_t m_when = 0;
    const char* m_refusal = nullptr;
};
