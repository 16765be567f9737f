#include "app/RepeatKeeper.h"

#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "alarm/AlarmRepeat.h"
#include "app/RepeatMenu.h"
#include "controls/MessageBox.h"
#include "core/AlarmCrossing.h"
#include "core/Clock.h"
#include "core/LogCategories.h"
#include "platform/DesktopNotifier.h"

#include <QWidget>

namespace {
// As the settings: saved a second after a change, a failed save tried again after the longer wait.
constexpr int SaveDelayMs = 1000;
constexpr int SaveRetryMs = 3000;
} // namespace

RepeatKeeper::RepeatKeeper(AlarmCommands& commands, QWidget& window, DesktopNotifier& notifier)
    : QObject(&window), m_commands(commands), m_window(window), m_notifier(notifier)
{
    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &RepeatKeeper::saveNow);
    connect(&commands, &AlarmCommands::stateChanged, this, &RepeatKeeper::saveSoon);
    connect(&commands, &AlarmCommands::armedChanged, this, [this](bool armed) {
        if (armed)
            m_notifier.withdraw();
    });
}

void RepeatKeeper::load()
{
    m_read = m_file.read();
    m_fileThere = m_read.has_value();
    if (!m_file.damage().isEmpty()) {
        const QString kept = m_file.keepDamagedCopy();
        tell(tr("The repeat days in %1 could not be read: %2. The alarm rings once until days are chosen "
                "again.")
                 .arg(RepeatFile::readPath(), m_file.damage()) +
             (kept.isEmpty() ? QString() : u' ' + tr("The file as it was is kept as %1.").arg(kept)));
    }
    if (!m_read)
        return;
    AlarmEngine& engine = m_commands.engine();
    // Days chosen for another time (the settings edited by hand) are not this alarm's.
    if (m_read->alarm != engine.alarmText() && m_read->repeat != QLatin1String("once")) {
        tell(tr("The repeat days in %1 belong to the alarm time %2, but the settings hold %3: they are not "
                "applied, and the alarm rings once.")
                 .arg(RepeatFile::readPath(), m_read->alarm, engine.alarmText()));
        return;
    }
    m_applied = true;
    engine.repeat().setDays(RepeatDays::parse(m_read->repeat).value_or(RepeatDays()));
    engine.repeat().setSkipDate(m_read->skip);
    m_saved = current();
}

void RepeatKeeper::resume()
{
    AlarmEngine& engine = m_commands.engine();
    if (!m_applied || !m_read->set || !engine.repeat().repeating() || engine.armed())
        return;
    // Set as ON sets it, with ON's checks: without a sound it stays unset.
    if (!m_commands.arm().isEmpty())
        return;
    // A ring that fell while no copy ran: the catch-up decides between a ring now and a miss.
    const QDateTime now = Clock::instance().now();
    if (m_read->next.isValid() && m_read->next <= now)
        engine.lookBackTo(m_read->next.addSecs(-1));
    DesktopNotifier::Content content;
    content.appName = QStringLiteral("Kestrune");
    content.icon = QStringLiteral("kestrune");
    content.summary = QStringLiteral("Kestrune");
    content.body = tr("Alarm %1 is set: %2").arg(engine.alarmText(), RepeatMenu::describe(engine.repeat().days()));
    content.hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kestrune.Kestrune"));
    content.expireTimeout = 10000;
    m_notifier.show(content);
}

RepeatFile::Record RepeatKeeper::current() const
{
    const AlarmEngine& engine = m_commands.engine();
    RepeatFile::Record record = m_read.value_or(RepeatFile::Record{});
    record.alarm = engine.alarmText();
    record.repeat = engine.repeat().days().words();
    record.skip = engine.repeat().skipDate();
    record.set = engine.armed() && engine.repeat().repeating();
    const std::optional<QTime> alarm = AlarmCrossing::parse(record.alarm);
    record.next = record.set && alarm ? engine.repeat().next(*alarm, Clock::instance().now()) : QDateTime();
    return record;
}

void RepeatKeeper::saveSoon()
{
    if (!m_saveTimer.isActive())
        m_saveTimer.start(SaveDelayMs);
}

void RepeatKeeper::saveNow()
{
    m_saveTimer.stop();
    const RepeatFile::Record record = current();
    // A user who never chose days gets no file; days not applied are not overwritten unasked.
    if (record == m_saved || (!m_fileThere && !m_commands.engine().repeat().repeating()))
        return;
    if (m_read && !m_applied && record.repeat == QLatin1String("once") && !record.skip.isValid())
        return;
    if (!m_file.write(record)) {
        // Tried again and again for the same reason, it says so once.
        const QString told = QStringLiteral("cannot save %1: %2").arg(RepeatFile::savePath(), m_file.failure());
        if (told != m_told)
            qCWarning(lcSettings).noquote() << told;
        m_told = told;
        m_saveTimer.start(SaveRetryMs);
        return;
    }
    m_told.clear();
    m_saved = record;
    m_fileThere = true;
}

void RepeatKeeper::tell(const QString& text)
{
    // Once the window is on screen, so that the box has something to stand in front of.
    QTimer::singleShot(0, this, [this, text] { MessageBox::warning(&m_window, MessageBox::title(), text); });
}
