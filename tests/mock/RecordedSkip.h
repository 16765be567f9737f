#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QTest>

// A skipped case is listed, with its reason, in the test command's summary (the file KESTRUNE_SKIPS
// names), so that ctest's pass for the whole executable hides no skip.
namespace RecordedSkip {
inline void add(const char* reason)
{
    const QByteArray listing = qgetenv("KESTRUNE_SKIPS");
    if (listing.isEmpty())
        return;
    QFile out(QFile::decodeName(listing));
    if (out.open(QIODevice::Append | QIODevice::Text))
        out.write(QCoreApplication::applicationName().toUtf8() + ' ' + QTest::currentTestFunction() +
                  (QTest::currentDataTag() ? QByteArray(" (") + QTest::currentDataTag() + ')' : QByteArray()) + ": " +
                  reason + '\n');
}
} // namespace RecordedSkip

#define KESTRUNE_SKIP(reason)                                                                                          \
    do {                                                                                                               \
        RecordedSkip::add(reason);                                                                                     \
        QSKIP(reason);                                                                                                 \
    } while (false)
