#include "alarm/AlarmState.h"

#include "alarm/AlarmEngine.h"
#include "alarm/AlarmRepeat.h"
#include "alarm/WakePolicy.h"
#include "core/AlarmCrossing.h"
#include "core/Clock.h"
#include "core/TimeText.h"

namespace {
// A format for scripts: the names and words stay as they are in every language.
const QString StatusFormat = QStringLiteral("Alarm time: %1\n"
                                            "Armed: %2\n"
                                            "Ringing: %3\n"
                                            "Snoozed until: %4\n"
                                            "Next ring: %5\n"
                                            "Sound: %6\n"
                                            "Wakes computer: %7\n"
                                            "Repeat: %8\n"
                                            "Skipped: %9\n");
const QString Yes = QStringLiteral("yes");
const QString No = QStringLiteral("no");
const QString KeptAwake = QStringLiteral("no (kept awake)");
const QString None = QStringLiteral("-");
const QString DateAndTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString orNone(const QString& text)
{
    return text.isEmpty() ? None : text;
}
} // namespace

AlarmState AlarmState::of(const AlarmEngine& engine, const WakePolicy& wake)
{
    AlarmState state;
    state.alarmTime = engine.alarmText();
    state.armed = engine.armed();
    state.ringing = engine.ringing();
    state.snoozedUntil = engine.reRingAt();
    state.nextRing = wake.nextRing();
    state.sound = engine.SoundPath;
    state.wakes = wake.wakeTimerSet();
    state.repeat = engine.repeat().days().words();
    if (const std::optional<QTime> alarm = AlarmCrossing::parse(state.alarmTime); alarm && state.armed)
        state.skipped = engine.repeat().skipped(*alarm, Clock::instance().now());
    return state;
}

QString AlarmState::statusLines() const
{
    const QString wakesText = wakes ? Yes : (armed ? KeptAwake : No);
    return StatusFormat.arg(orNone(alarmTime), armed ? Yes : No, ringing ? Yes : No,
                            snoozedUntil.isValid() ? TimeText::of(snoozedUntil.time()) : None,
                            nextRing.isValid() ? nextRing.toString(DateAndTime) : None, orNone(sound), wakesText,
                            repeat, skipped.isValid() ? skipped.toString(DateAndTime) : None);
}
