// libFuzzer target for the settings reader and writer; scripts/fuzz.sh builds and runs it.
// Whatever the bytes, reading them must not crash, hang or read out of bounds, and the values read
// must come back unchanged through the writer and the reader.
#include "core/SettingsFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void check(bool held, const char* what)
{
    if (held)
        return;
    std::fprintf(stderr, "round trip lost the %s\n", what);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Not copied, so that a read past the end lands outside the fuzzer's buffer.
    const QByteArray content = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const SettingsRecord read = SettingsFile::parse(content);

    // What the window would hold after applying it: its starting values where a field was missing.
    SettingsRecord held;
    held.soundPath = read.soundPath.value_or(QString());
    held.alarmTime = read.alarmTime.value_or(QString());
    held.snoozeMinutes = read.snoozeMinutes.value_or(1);
    held.foreColor = read.foreColor.value_or(qint32(0x80000008u));
    held.backColor = read.backColor.value_or(12648447);

    const QByteArray line = SettingsFile::format(held);
    check(line.endsWith("\r\n"), "line end");
    const SettingsRecord again = SettingsFile::parse(line);
    check(again.soundPath == held.soundPath, "sound path");
    check(again.alarmTime == held.alarmTime, "alarm time");
    check(again.snoozeMinutes == held.snoozeMinutes, "snooze minutes");
    check(again.foreColor == held.foreColor, "fore colour");
    check(again.backColor == held.backColor, "back colour");
    return 0;
}
