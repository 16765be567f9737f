// libFuzzer target for the settings reader and writer; scripts/fuzz.sh builds and runs it.
// Whatever the bytes, reading them must not crash, hang or read out of bounds; the values read must
// come back unchanged through the writer and the reader; and the writer must give back the very
// bytes of every text it was handed, and of every line that was already a valid one.
#include "core/SettingsFieldReader.h"
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

// How a text field stands in a line: quotes doubled, within quotes.
QByteArray quotedBytes(QByteArray text)
{
    text.replace('"', "\"\"");
    return '"' + text + '"';
}

// Text bytes as a valid line can hold them: no line end, no NUL.
QByteArray textBytes(const QByteArray& bytes)
{
    QByteArray text;
    for (const char c : bytes) {
        if (c != '\r' && c != '\n' && c != '\0')
            text += c;
    }
    return text;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Not copied, so that a read past the end lands outside the fuzzer's buffer.
    const QByteArray content = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const SettingsRecord read = SettingsFile::parse(content);

    // What the window would hold after applying it: its starting values where a field was missing.
    SettingsRecord held = read;
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
    // Bytes, not only decoded strings: the line written holds each text as the bytes it was read as.
    if (!content.startsWith("\xff\xfe") && !content.startsWith("\xfe\xff")) {
        SettingsFieldReader fields(content);
        const QByteArray sound = fields.next().value_or(QByteArray());
        const QByteArray alarm = fields.next().value_or(QByteArray());
        check(line.startsWith(quotedBytes(sound) + ',' + quotedBytes(alarm) + ','), "bytes of a text");
    }
    check(SettingsFile::format(again) == line, "bytes of the line written");

    // A valid line made of the input's bytes: two texts, whatever their encoding, and three numbers.
    // It must come back byte for byte.
    const qsizetype half = content.size() / 2;
    QByteArray valid = quotedBytes(textBytes(content.left(half))) + ',' + quotedBytes(textBytes(content.mid(half))) +
                       ',' + QByteArray::number(qint16(size)) + ',' + QByteArray::number(qint32(size * 2654435761u)) +
                       ',' + QByteArray::number(-qint32(size)) + "\r\n";
    {
        bool whole = false;
        const SettingsRecord parsed = SettingsFile::parse(valid, &whole);
        check(whole, "wholeness of a valid line");
        check(SettingsFile::format(parsed) == valid, "bytes of a valid line");
    }
    return 0;
}
