#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string_view>

// One line of the wake program's input: the request's number, a space, and a moment of the wall
// clock in seconds since the epoch. The moment is taken only as a plain decimal number for a moment
// still ahead and at most eight days away (a repeating alarm's next ring, Friday night to Monday
// morning and more), so that whatever writes to the program can do no more than the alarm itself
// would. Each answer names the request's number.
class WakeRequest {
public:
    static constexpr time_t FarthestSeconds = 8 * 24 * 60 * 60;
    // Longer lines are no time at all; they are refused without being kept.
    static constexpr std::size_t LongestLine = 64;
    // A request's number has at most this many digits; a line without one is answered as number 0.
    static constexpr std::size_t LongestId = 9;

    static WakeRequest parse(std::string_view line, time_t now);

    bool accepted() const { return m_refusal == nullptr; }
    std::uint32_t id() const { return m_id; }
    time_t when() const { return m_when; }
    // Why the line changes nothing; null when it was accepted.
    const char* refusal() const { return m_refusal; }

private:
    std::uint32_t m_id = 0;
    time_t m_when = 0;
    const char* m_refusal = nullptr;
};
