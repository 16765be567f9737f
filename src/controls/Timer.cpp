#include "controls/Timer.h"

#include "controls/SecondTicker.h"

Timer::Timer(QObject* parent) : QObject(parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Timer::tick);
}

Timer::~Timer()
{
    SecondTicker::instance().unsubscribe(this);
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return; // enabling a running timer does not restart its count
    m_enabled = enabled;
    apply();
}

void Timer::setInterval(int milliseconds)
{
    m_interval = qMax(0, milliseconds);
    apply();
}

void Timer::setAlignedToSecond(int phase)
{
    m_phase = phase;
    apply();
}

void Timer::apply()
{
    const bool running = m_enabled && m_interval > 0;
    const bool aligned = running && m_phase >= 0 && m_interval == 1000;
    if (aligned) {
        m_timer.stop();
        SecondTicker::instance().subscribe(this);
        return;
    }
    SecondTicker::instance().unsubscribe(this);
    if (running)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}
