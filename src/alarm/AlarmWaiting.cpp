#include "alarm/AlarmWaiting.h"

#include "alarm/AlarmEngine.h"
#include "alarm/RingSound.h"
#include "controls/SecondTicker.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "core/AlarmCrossing.h"
#include "core/TimeText.h"

#include <QAction>
#include <QEvent>
#include <QTimeZone>
#include <QWidget>

namespace {
void keepEarliest(QDateTime& earliest, const QDateTime& at)
{
    if (at.isValid() && (!earliest.isValid() || at < earliest))
        earliest = at;
}
} // namespace

AlarmWaiting::AlarmWaiting(const AlarmEngine& engine, const AlarmControls& controls, const RingSound& sound,
                           QObject* parent)
    : QObject(parent), m_engine(engine), m_c(controls), m_sound(sound)
{
    // Whatever may move the next moment while the ticker sleeps: the ways in from the tray and the
    // notifications, the ring and its end, a sound made ready again or tried out.
    SecondTicker& ticker = SecondTicker::instance();
    const auto replan = [&ticker] { ticker.replan(); };
    connect(&engine, &AlarmEngine::armedChanged, this, replan);
    connect(&engine, &AlarmEngine::alarmTimeChanged, this, replan);
    connect(&engine, &AlarmEngine::ringStarted, this, replan);
    connect(&engine, &AlarmEngine::ringEnded, this, replan);
    connect(&sound, &RingSound::prepared, this, replan);
    connect(m_c.trySound, &QAction::triggered, this, replan);
    ticker.setPlanner(this);
    followWindow();
    m_c.window->installEventFilter(this);
}

AlarmWaiting::~AlarmWaiting()
{
    SecondTicker::instance().setPlanner(nullptr);
    SecondTicker::instance().setQuiet(false);
}

QDateTime AlarmWaiting::nextTickNeeded(const QDateTime& now) const
{
    // A ring counts its unanswered seconds on the clock's ticks; a sound tried out ends on them; a
    // match seen is rung at the ring check.
    if (m_sound.ringing() || m_engine.trying() || (m_engine.AlarmDue && m_c.Timer1->Enabled()))
        return now;
    const QDateTime rest = m_sound.restsAt();
    const std::optional<QTime> alarm = AlarmCrossing::parse(m_engine.alarmText());
    if (!m_engine.armed() || !alarm || !m_c.Timer3->Enabled())
        return rest > now ? rest : QDateTime();
    QDateTime next;
    const QDateTime ring = AlarmCrossing::next(*alarm, now);
    // What plays the sound rests only while the ring is far.
    if (rest > now && rest.secsTo(ring) > RingSound::ReadySeconds)
        keepEarliest(next, rest);
    // The sound made ready, its start ahead of the second at the tick before, and the second.
    for (const QDateTime& at : {ring.addSecs(-RingSound::ReadySeconds), ring.addSecs(-1), ring}) {
        if (at > now) {
            keepEarliest(next, at);
            break;
        }
    }
    // An alarm time in the hour that a daylight-saving change skips is passed at the change itself.
    const QTimeZone::OffsetData change = now.timeZone().nextTransition(now);
    if (change.atUtc.isValid() && change.atUtc < ring)
        keepEarliest(next, change.atUtc.toLocalTime());
    return next;
}

bool AlarmWaiting::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::WindowStateChange) {
        const bool wasQuiet = SecondTicker::instance().isQuiet();
        followWindow();
        // The clock's text, not updated while nobody saw it, is current before the window is drawn.
        if (wasQuiet && !SecondTicker::instance().isQuiet())
            m_c.Text1->setText(TimeText::now());
    }
    return QObject::eventFilter(watched, event);
}

void AlarmWaiting::followWindow()
{
    SecondTicker::instance().setQuiet(!m_c.window->isVisible() || m_c.window->isMinimized());
}
