#include "core/RepeatDays.h"

#include "core/AlarmCrossing.h"

#include <QStringList>

namespace {
const char* const DayWords[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
// A day chosen and its skip before it: two weeks cover every case.
constexpr int LookAheadDays = 15;
} // namespace

std::optional<RepeatDays> RepeatDays::parse(const QString& words)
{
    const QString text = words.trimmed().toLower();
    if (text == QLatin1String("once"))
        return RepeatDays();
    if (text == QLatin1String("daily"))
        return daily();
    if (text == QLatin1String("weekdays"))
        return weekdays();
    if (text == QLatin1String("weekends"))
        return weekends();
    int mask = 0;
    for (const QString& word : text.split(u',')) {
        int day = 0;
        while (day < 7 && word.trimmed() != QLatin1String(DayWords[day]))
            ++day;
        if (day == 7)
            return std::nullopt;
        mask |= 1 << day;
    }
    return RepeatDays(mask);
}

QString RepeatDays::words() const
{
    if (*this == RepeatDays())
        return QStringLiteral("once");
    if (*this == daily())
        return QStringLiteral("daily");
    if (*this == weekdays())
        return QStringLiteral("weekdays");
    if (*this == weekends())
        return QStringLiteral("weekends");
    QStringList days;
    for (int day = 1; day <= 7; ++day) {
        if (has(day))
            days << QLatin1String(DayWords[day - 1]);
    }
    return days.join(u',');
}

RepeatDays RepeatDays::with(int dayOfWeek, bool on) const
{
    if (dayOfWeek < 1 || dayOfWeek > 7)
        return *this;
    const int bit = 1 << (dayOfWeek - 1);
    return RepeatDays(on ? m_mask | bit : m_mask & ~bit);
}

QDateTime RepeatDays::next(const QTime& alarm, const QDateTime& now, const QDate& skipped) const
{
    if (once())
        return AlarmCrossing::next(alarm, now);
    for (int ahead = 0; ahead <= LookAheadDays; ++ahead) {
        const QDate date = now.date().addDays(ahead);
        if (!has(date.dayOfWeek()) || date == skipped)
            continue;
        const QDateTime ring = AlarmCrossing::on(date, alarm);
        if (ring > now)
            return ring;
    }
    return QDateTime();
}

QDate RepeatDays::lastAlarmDate(const QTime& alarm, const QDateTime& now)
{
    return alarm <= now.time() ? now.date() : now.date().addDays(-1);
}
