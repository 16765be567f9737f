#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// When an alarm time of day is due, judged over the stretch of local time between two readings of
// the clock rather than at single seconds, so a daylight-saving gap, a late tick or a short jump
// does not lose it, and a long one is told apart as missed.
class AlarmCrossing {
public:
    enum class Result { None, Due, Missed };

    // The alarm text as the clock shows times, exactly "HH:MM:SS" within a day; nothing otherwise.
    static std::optional<QTime> parse(const QString& text);
    // An alarm time given by the user, whichever way it came in (the box, the command line, the
    // socket, the bus): blanks around it (spaces, tabs, line ends) are the keyboard's or the shell's
    // and are trimmed; anything else beside the time refuses it, however long the text.
    static std::optional<QTime> read(const QString& given);

    // previous is the reading at the tick before (invalid for none). Due when the alarm's time of
    // day lies in (previous, now] in local wall-clock time and was passed at most catchUpSeconds
    // ago; Missed when it lies there but longer ago.
    static Result check(const QTime& alarm, const QDateTime& previous, const QDateTime& now, int catchUpSeconds);

    // The next time the clock shows the alarm after now; at the alarm second itself, tomorrow's.
    static QDateTime next(const QTime& alarm, const QDateTime& now);
    // When the alarm rings on a date: when the clock shows it, or for a time in a skipped
    // daylight-saving hour, when the clock leaves that hour.
    static QDateTime on(const QDate& date, const QTime& alarm);
};
