#include "core/AlarmCrossing.h"

#include <QtGlobal>

namespace {
constexpr qint64 SecondsPerDay = 86400;

// Local wall-clock seconds: what the clock box shows, with the date, ignoring offsets.
qint64 wallSeconds(const QDateTime& t)
{
    return t.date().toJulianDay() * SecondsPerDay + t.time().msecsSinceStartOfDay() / 1000;
}

bool twoDigits(const QString& text, int at, int max, int* value)
{
    const QChar a = text.at(at);
    const QChar b = text.at(at + 1);
    if (a < QLatin1Char('0') || a > QLatin1Char('9') || b < QLatin1Char('0') || b > QLatin1Char('9'))
        return false;
    *value = (a.unicode() - '0') * 10 + (b.unicode() - '0');
    return *value <= max;
}
} // namespace

std::optional<QTime> AlarmCrossing::parse(const QString& text)
{
    int h = 0;
    int m = 0;
    int s = 0;
    if (text.size() != 8 || text.at(2) != QLatin1Char(':') || text.at(5) != QLatin1Char(':'))
        return std::nullopt;
    if (!twoDigits(text, 0, 23, &h) || !twoDigits(text, 3, 59, &m) || !twoDigits(text, 6, 59, &s))
        return std::nullopt;
    return QTime(h, m, s);
}

AlarmCrossing::Result AlarmCrossing::check(const QTime& alarm, const QDateTime& previous, const QDateTime& now,
                                           int catchUpSeconds)
{
    const qint64 nowWall = wallSeconds(now);
    // The latest wall-clock moment at or before now that shows the alarm time.
    qint64 alarmWall = now.date().toJulianDay() * SecondsPerDay + alarm.msecsSinceStartOfDay() / 1000;
    if (alarmWall > nowWall)
        alarmWall -= SecondsPerDay;
    // No earlier reading, or a clock that stood still or went back (the repeated autumn hour, a
    // correction): only the second now shown counts.
    qint64 previousWall = previous.isValid() ? wallSeconds(previous) : nowWall - 1;
    if (previousWall >= nowWall)
        previousWall = nowWall - 1;
    if (alarmWall <= previousWall)
        return Result::None;
    // How long ago it was really passed: wall time skipped by a spring change was never lived.
    const int offsetGain = previous.isValid() ? now.offsetFromUtc() - previous.offsetFromUtc() : 0;
    const qint64 late = qMax<qint64>(0, nowWall - alarmWall - qMax(0, offsetGain));
    return late <= catchUpSeconds ? Result::Due : Result::Missed;
}
