#include "alarm/AlarmCommands.h"

#include "alarm/AlarmEngine.h"
#include "alarm/AlarmRepeat.h"
#include "controls/MessageBox.h"
#include "controls/TextBox.h"
#include "core/AlarmCrossing.h"
#include "core/Clock.h"
#include "platform/ActivationToken.h"

#include <QPushButton>

#include <limits>

AlarmCommands::AlarmCommands(AlarmEngine& engine, AlarmControls controls, QObject* parent)
    : QObject(parent), m_engine(engine), m_c(std::move(controls))
{
    // A text pasted into the box is taken whole: cut at a length, one with more than blanks after
    // the time would arm.
    m_c.Text2->setMaxLength(std::numeric_limits<int>::max());
    connect(m_c.Command1, &QPushButton::clicked, this, [this] { tell(arm()); });
    connect(m_c.Command2, &QPushButton::clicked, this, &AlarmCommands::off);
    connect(m_c.Command3, &QPushButton::clicked, this, &AlarmCommands::sleep);
    connect(&engine, &AlarmEngine::armedChanged, this, &AlarmCommands::armedChanged);
    connect(&engine, &AlarmEngine::armedChanged, this, &AlarmCommands::stateChanged);
    connect(&engine, &AlarmEngine::ringStarted, this, &AlarmCommands::stateChanged);
    connect(&engine, &AlarmEngine::ringEnded, this, &AlarmCommands::stateChanged);
    connect(&engine, &AlarmEngine::missedChanged, this, &AlarmCommands::stateChanged);
    connect(&engine.repeat(), &AlarmRepeat::changed, this, &AlarmCommands::stateChanged);
    connect(m_c.Text2, &QLineEdit::textChanged, this, [this] {
        if (!m_trying)
            emit stateChanged();
    });
}

QString AlarmCommands::arm(const QString& time)
{
    // A button that cannot be pressed refuses: only one of ON and OFF is ever offered.
    if (!m_c.Command1->isEnabled())
        return tr("The alarm is already set");
    const QString before = m_c.Text2->text();
    // A time tried and refused is no change to announce.
    m_trying = true;
    if (!time.isNull())
        m_c.Text2->setText(time);
    const QString refusal = m_engine.Command1_Click();
    // A time from a script that could not be armed leaves nothing behind, in the box or the settings.
    if (!refusal.isEmpty() && !time.isNull())
        m_c.Text2->setText(before);
    m_trying = false;
    if (m_c.Text2->text() != before)
        emit stateChanged();
    return refusal;
}

QString AlarmCommands::off()
{
    if (!m_c.Command2->isEnabled())
        return tr("The alarm is not set");
    // Answered, a repeating alarm waits for its next day; only OFF between rings switches it off.
    if (m_engine.repeat().repeating() && m_c.Command3->isEnabled()) {
        m_engine.silenceUntilNextDay();
        return QString();
    }
    m_engine.Command2_Click();
    m_engine.repeat().unskip();
    return QString();
}

QString AlarmCommands::skip()
{
    if (!m_c.Command2->isEnabled())
        return tr("The alarm is not set");
    const std::optional<QTime> alarm = AlarmCrossing::parse(m_engine.alarmText());
    if (!m_engine.repeat().repeating() || !alarm)
        return tr("The alarm does not repeat");
    m_engine.repeat().skipNext(*alarm, Clock::instance().now());
    return QString();
}

QString AlarmCommands::unskip()
{
    m_engine.repeat().unskip();
    return QString();
}

QString AlarmCommands::setRepeat(const QString& words)
{
    const std::optional<RepeatDays> days = RepeatDays::parse(words);
    if (!days)
        return tr("Repeat takes once, daily, weekdays, weekends or days such as mon,tue");
    m_engine.repeat().setDays(*days);
    return QString();
}

QString AlarmCommands::sleep()
{
    if (!m_c.Command3->isEnabled())
        return tr("The alarm is not ringing");
    m_engine.Command3_Click();
    return QString();
}

void AlarmCommands::showWindow(const QString& activationToken)
{
    const ActivationToken handed(activationToken);
    m_c.showMainWindow();
}

bool AlarmCommands::tell(const QString& refusal)
{
    if (refusal.isEmpty())
        return false;
    MessageBox::information(m_c.window, MessageBox::title(), refusal);
    return true;
}

QString AlarmCommands::status() const
{
    return m_c.Text5->text();
}

QWidget* AlarmCommands::sleepButton() const
{
    return m_c.Command3;
}
