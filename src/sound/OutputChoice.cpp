#include "sound/OutputChoice.h"

#include <algorithm>
#include <cctype>

namespace {
bool contains(const std::string& text, const char* part)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return lower.find(part) != std::string::npos;
}
} // namespace

bool OutputChoice::isPersonal(const Output& o)
{
    // PulseAudio spells the hands-free form "handsfree", PipeWire "hands-free".
    const bool worn = o.formFactor == "headset" || o.formFactor == "headphone" || o.formFactor == "handsfree" ||
                      o.formFactor == "hands-free";
    return worn && (o.bus == "bluetooth" || o.bus == "usb");
}

bool OutputChoice::isSpeaker(const Output& o)
{
    // The user's choice of port stands: a jack with headphones in it is not the speaker.
    if (contains(o.activePort, "headphone") || contains(o.activePort, "headset"))
        return false;
    if (o.formFactor == "internal" || o.formFactor == "speaker")
        return o.bus != "bluetooth" && o.bus != "usb";
    return o.bus == "pci" && contains(o.activePort, "speaker");
}

std::string OutputChoice::secondOutput(const std::string& defaultOutput, const std::vector<Output>& outputs)
{
    const auto byName = [&](const Output& o) { return o.name == defaultOutput; };
    const auto def = std::find_if(outputs.begin(), outputs.end(), byName);
    if (def == outputs.end() || !isPersonal(*def))
        return {};
    for (const Output& o : outputs)
        if (o.name != defaultOutput && isSpeaker(o))
            return o.name;
    return {};
}
