#include "wake/WakeRequest.h"

WakeRequest WakeRequest::parse(std::string_view line, time_t now)
{
    WakeRequest request;
    if (line.size() > LongestLine) {
        request.m_refusal = "the line is too long";
        return request;
    }
    const std::size_t space = line.find(' ');
    if (space == 0 || space == std::string_view::npos || space > LongestId ||
        line.substr(0, space).find_first_not_of("0123456789") != std::string_view::npos) {
        request.m_refusal = "not a request: a number, a space and a time";
        return request;
    }
    for (const char c : line.substr(0, space))
        request.m_id = request.m_id * 10 + std::uint32_t(c - '0');
    line.remove_prefix(space + 1);
    if (line.empty()) {
        request.m_refusal = "not a time: an empty line";
        return request;
    }
    std::int64_t when = 0;
    for (const char c : line) {
        if (c < '0' || c > '9') {
            request.m_refusal = "not a time: digits only, seconds since 1970";
            return request;
        }
        // Anything past the eight days is refused below; this only keeps the sum from overflowing.
        if (when < std::int64_t(1) << 40)
            when = when * 10 + (c - '0');
    }
    if (when <= now) {
        request.m_refusal = "the time is not in the future";
        return request;
    }
    if (when - now > FarthestSeconds) {
        request.m_refusal = "the time is more than eight days ahead";
        return request;
    }
    request.m_when = time_t(when);
    return request;
}
