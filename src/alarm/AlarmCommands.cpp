#include "alarm/AlarmCommands.h"

#include "alarm/AlarmEngine.h"
#include "controls/MessageBox.h"
#include "controls/TextBox.h"
#include "platform/ActivationToken.h"

#include <QPushButton>

AlarmCommands::AlarmCommands(AlarmEngine& engine, AlarmControls controls, QObject* parent)
    : QObject(parent), m_engine(engine), m_c(std::move(controls))
{
    connect(m_c.Command1, &QPushButton::clicked, this, [this] { tell(arm()); });
    connect(m_c.Command2, &QPushButton::clicked, this, &AlarmCommands::off);
    connect(m_c.Command3, &QPushButton::clicked, this, &AlarmCommands::sleep);
    connect(&engine, &AlarmEngine::armedChanged, this, &AlarmCommands::armedChanged);
}

QString AlarmCommands::arm(const QString& time)
{
    // A button that cannot be pressed refuses: only one of ON and OFF is ever offered.
    if (!m_c.Command1->isEnabled())
        return tr("The alarm is already set");
    if (!time.isNull())
        m_c.Text2->setText(time);
    return m_engine.Command1_Click();
}

QString AlarmCommands::off()
{
    if (!m_c.Command2->isEnabled())
        return tr("The alarm is not set");
    m_engine.Command2_Click();
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
