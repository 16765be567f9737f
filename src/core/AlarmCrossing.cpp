#include "core/AlarmCrossing.h"

#include <QTimeZone>
#include <QtGlobal>

namespace {
constexpr qint64 SecondsPerDay = 86400;

// Local wall-clock seconds: what the clock box shows, with the date, ignoring offsets.
qint64 wallSeconds(const QDateTime& t)
{
    return t.date().toJulianDay() * SecondsPerDay + t.time().msecsSinceStartOfDay() / 1000;
}

// The real moment (seconds since the epoch) a wall-clock second in (previous, now] stood for. Across an
// offset change, a second before it counts in the old offset, one after in the new, and one in a
// skipped stretch at the change itself, which is when the clock first showed a later time.
qint64 realSeconds(qint64 wall, const QDateTime& previous, const QDateTime& now)
{
    const qint64 wallEpoch = wall - QDate(1970, 1, 1).toJulianDay() * SecondsPerDay;
    const int newOffset = now.offsetFromUtc();
    if (!previous.isValid() || previous.offsetFromUtc() == newOffset)
        return wallEpoch - newOffset;
    const int oldOffset = previous.offsetFromUtc();
    const QTimeZone::OffsetData change = now.timeZone().previousTransition(now.addSecs(1));
    if (!change.atUtc.isValid() || change.atUtc <= previous)
        return wallEpoch - newOffset;
    const qint64 at = change.atUtc.toSecsSinceEpoch();
    if (wallEpoch < at + oldOffset)
        return wallEpoch - oldOffset;
    if (wallEpoch < at + newOffset)
        return at;
    return wallEpoch - newOffset;
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

std::optional<QTime> AlarmCrossing::read(const QString& given)
{
    return parse(given.trimmed());
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
    if (!previous.isValid() || wallSeconds(previous) >= nowWall)
        return alarmWall == nowWall ? Result::Due : Result::None;
    if (alarmWall <= wallSeconds(previous))
        return Result::None;
    // How long ago it was really passed, in real seconds.
    const qint64 late = qMax<qint64>(0, now.toSecsSinceEpoch() - realSeconds(alarmWall, previous, now));
    return late <= catchUpSeconds ? Result::Due : Result::Missed;
}

QDateTime AlarmCrossing::next(const QTime& alarm, const QDateTime& now)
{
    QDateTime ring = on(now.date(), alarm);
    if (ring <= now)
        ring = on(now.date().addDays(1), alarm);
    return ring;
}

QDateTime AlarmCrossing::on(const QDate& date, const QTime& alarm)
{
    const QDateTime ring(date, alarm);
    if (ring.isValid())
        return ring;
    const QDateTime midnight(date, QTime(0, 0));
    return midnight.timeZone().nextTransition(midnight).atUtc.toLocalTime();
}
