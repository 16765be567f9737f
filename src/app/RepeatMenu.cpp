#include "app/RepeatMenu.h"

#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "alarm/AlarmRepeat.h"
#include "core/AlarmCrossing.h"
#include "core/Clock.h"
#include "core/RepeatDays.h"
#include "core/TimeText.h"

#include <QLocale>
#include <QMenu>

RepeatMenu::RepeatMenu(AlarmCommands& commands, QMenu& menu, QAction* before)
    : QObject(&menu), m_commands(commands), m_repeat(new QMenu(tr("&Repeat"), &menu))
{
    m_repeat->setObjectName(QStringLiteral("repeat"));
    menu.insertMenu(before, m_repeat);
    m_skip = new QAction(tr("Skip &Next Ring"), &menu);
    m_skip->setObjectName(QStringLiteral("skipNext"));
    m_skip->setCheckable(true);
    menu.insertAction(before, m_skip);
    connect(m_skip, &QAction::triggered, this, [this](bool checked) {
        m_commands.tell(checked ? m_commands.skip() : m_commands.unskip());
        update();
    });
    const auto choice = [this](const QString& caption, const QString& words) {
        QAction* action = m_repeat->addAction(caption);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, words] { choose(words); });
        return action;
    };
    m_once = choice(tr("&Once"), QStringLiteral("once"));
    m_daily = choice(tr("Every &Day"), QStringLiteral("daily"));
    m_weekdays = choice(tr("&Weekdays"), QStringLiteral("weekdays"));
    m_weekends = choice(tr("Week&ends"), QStringLiteral("weekends"));
    m_repeat->addSeparator();
    const QLocale locale;
    for (int i = 0; i < 7; ++i) {
        const int day = (int(locale.firstDayOfWeek()) - 1 + i) % 7 + 1;
        QAction* action = m_repeat->addAction(locale.dayName(day, QLocale::LongFormat));
        action->setCheckable(true);
        m_days[day - 1] = action;
        connect(action, &QAction::triggered, this,
                [this, day](bool checked) { choose(m_commands.engine().repeat().days().with(day, checked).words()); });
    }
    connect(&menu, &QMenu::aboutToShow, this, &RepeatMenu::update);
    connect(&commands, &AlarmCommands::stateChanged, this, &RepeatMenu::update);
    update();
}

void RepeatMenu::choose(const QString& words)
{
    m_commands.tell(m_commands.setRepeat(words));
    update();
}

void RepeatMenu::update()
{
    const AlarmRepeat& repeat = m_commands.engine().repeat();
    const RepeatDays& days = repeat.days();
    m_once->setChecked(days.once());
    m_daily->setChecked(days == RepeatDays::daily());
    m_weekdays->setChecked(days == RepeatDays::weekdays());
    m_weekends->setChecked(days == RepeatDays::weekends());
    for (int day = 1; day <= 7; ++day)
        m_days[day - 1]->setChecked(days.has(day));
    // The item names the ring it skips, or the one it would skip.
    const std::optional<QTime> alarm = AlarmCrossing::parse(m_commands.engine().alarmText());
    const bool can = alarm && repeat.repeating() && m_commands.engine().armed();
    const QDateTime now = Clock::instance().now();
    const QDateTime skipped = can ? repeat.skipped(*alarm, now) : QDateTime();
    const QDateTime ring = skipped.isValid() ? skipped : (can ? repeat.next(*alarm, now) : QDateTime());
    m_skip->setEnabled(can);
    m_skip->setChecked(skipped.isValid());
    m_skip->setText(ring.isValid() ? tr("Skip &Next Ring (%1)").arg(ringName(ring)) : tr("Skip &Next Ring"));
}

QString RepeatMenu::describe(const RepeatDays& days)
{
    if (days == RepeatDays::daily())
        return tr("every day");
    if (days == RepeatDays::weekdays())
        return tr("weekdays");
    if (days == RepeatDays::weekends())
        return tr("weekends");
    const QLocale locale;
    QStringList names;
    for (int i = 0; i < 7; ++i) {
        const int day = (int(locale.firstDayOfWeek()) - 1 + i) % 7 + 1;
        if (days.has(day))
            names << locale.dayName(day, QLocale::ShortFormat);
    }
    return names.isEmpty() ? tr("once") : names.join(QStringLiteral(", "));
}

QString RepeatMenu::ringName(const QDateTime& ring)
{
    return QLocale().dayName(ring.date().dayOfWeek(), QLocale::ShortFormat) + u' ' + TimeText::of(ring.time());
}
