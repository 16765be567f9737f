#include "alarm/AlarmRepeat.h"

void AlarmRepeat::setDays(const RepeatDays& days)
{
    if (days == m_days)
        return;
    m_days = days;
    // A skip belongs to the days it was chosen among; with "Once" there is nothing to skip.
    if (m_days.once())
        m_skip = QDate();
    emit changed();
}

bool AlarmRepeat::ringsOn(const QDate& date) const
{
    if (m_days.once())
        return true;
    return m_days.has(date.dayOfWeek()) && date != m_skip;
}

QDateTime AlarmRepeat::next(const QTime& alarm, const QDateTime& now) const
{
    return m_days.next(alarm, now, m_skip);
}

QDateTime AlarmRepeat::skipped(const QTime& alarm, const QDateTime& now) const
{
    if (!m_skip.isValid() || m_days.once() || !m_days.has(m_skip.dayOfWeek()))
        return QDateTime();
    const QDateTime ring(m_skip, alarm);
    return ring > now ? ring : QDateTime();
}

void AlarmRepeat::setSkipDate(const QDate& date)
{
    if (date == m_skip)
        return;
    m_skip = date;
    emit changed();
}

void AlarmRepeat::skipNext(const QTime& alarm, const QDateTime& now)
{
    if (m_days.once())
        return;
    setSkipDate(m_days.next(alarm, now).date());
}

void AlarmRepeat::passed(const QDate& date)
{
    if (date == m_skip)
        unskip();
}
