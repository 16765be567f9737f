#pragma once

#include "core/RepeatDays.h"

#include <QDate>
#include <QDateTime>
#include <QObject>

// The days a repeating alarm rings on and the one ring the user chose to skip. The engine asks it
// whether a day's alarm second rings; the wake timer, the tray tip and --status ask it for the next
// ring that will really sound. With "Once" it says yes to every day and the alarm is the one-time
// alarm it always was.
class AlarmRepeat : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const RepeatDays& days() const { return m_days; }
    void setDays(const RepeatDays& days);
    bool repeating() const { return !m_days.once(); }

    // Whether the alarm time on this date rings: a chosen day, and not the skipped ring.
    bool ringsOn(const QDate& date) const;
    // The next ring after now that will sound.
    QDateTime next(const QTime& alarm, const QDateTime& now) const;
    // The skipped ring while it is still ahead; invalid otherwise.
    QDateTime skipped(const QTime& alarm, const QDateTime& now) const;
    // The date whose ring is left silent; kept as it was stored, for the file.
    QDate skipDate() const { return m_skip; }
    void setSkipDate(const QDate& date);
    // Leaves the next ring after now silent; the ones after it stay.
    void skipNext(const QTime& alarm, const QDateTime& now);
    void unskip() { setSkipDate(QDate()); }
    // The alarm time went by in silence on this date: a skip of it is used up.
    void passed(const QDate& date);

signals:
    void changed();

private:
    RepeatDays m_days;
    QDate m_skip;
};
