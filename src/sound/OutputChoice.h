#pragma once

#include <string>
#include <vector>

// Which outputs an alarm plays on. A user who went to bed with a headset as the default output does
// not wear it at 7: when the default is a headset or headphones on a device of its own (Bluetooth or
// USB) and the computer has its own speaker as another output, the ring plays on that speaker too.
// A laptop's speaker and its headphone jack are two ports of one output: the port the user chose is
// never switched, so an output whose chosen port is headphones is no speaker. Plain data in and out.
class OutputChoice {
public:
    // One output as the sound server describes it: its name, its device.form_factor and device.bus
    // properties, and the name of its active port (empty when none).
    struct Output {
        std::string name;
        std::string formFactor;
        std::string bus;
        std::string activePort;
    };

    // The output to play on besides the default, or empty when the default alone is right.
    static std::string secondOutput(const std::string& defaultOutput, const std::vector<Output>& outputs);

    static bool isPersonal(const Output& output);
    static bool isSpeaker(const Output& output);
};
