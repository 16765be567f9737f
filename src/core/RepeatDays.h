#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// The days of the week a repeating alarm rings on; none chosen is the one-time alarm ("Once").
// Written and read in the words of the command line and the bus: once, daily, weekdays, weekends, or
// the days themselves as mon,tue,... Days are numbered as Qt numbers them: 1 Monday to 7 Sunday.
class RepeatDays {
public:
    RepeatDays() = default;
    static RepeatDays daily() { return RepeatDays(0x7f); }
    static RepeatDays weekdays() { return RepeatDays(0x1f); }
    static RepeatDays weekends() { return RepeatDays(0x60); }

    // Nothing when the words name no days (a blank, an unknown word, a day twice is fine).
    static std::optional<RepeatDays> parse(const QString& words);
    // The shortest words for the days: "once", "daily", "weekdays", "weekends", else "mon,wed".
    QString words() const;

    bool once() const { return m_mask == 0; }
    bool has(int dayOfWeek) const { return dayOfWeek >= 1 && dayOfWeek <= 7 && (m_mask >> (dayOfWeek - 1)) & 1; }
    RepeatDays with(int dayOfWeek, bool on) const;

    // The next ring after now: for "Once", the next time the clock shows the alarm; else the first
    // chosen day, other than the skipped one, whose alarm moment is after now. At the alarm second
    // itself, the one after it.
    QDateTime next(const QTime& alarm, const QDateTime& now, const QDate& skipped = QDate()) const;
    // The date of the latest moment at or before now whose wall clock showed the alarm time: the day
    // a ring that is due now belongs to.
    static QDate lastAlarmDate(const QTime& alarm, const QDateTime& now);

    bool operator==(const RepeatDays&) const = default;

private:
    explicit RepeatDays(int mask) : m_mask(mask) {}
    int m_mask = 0;
};
