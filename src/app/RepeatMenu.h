#pragma once

#include <QObject>
#include <QString>

class AlarmCommands;
class QAction;
class QActionGroup;
class QDateTime;
class QMenu;
class RepeatDays;

// "Repeat" and "Skip Next Ring" in the menu that the window's menu bar and the tray icon share: the
// choices "Once", "Every Day", "Weekdays", "Weekends" and the seven days, first day of the week
// first, each ticked while it is in force. Every pick goes through the alarm's commands.
class RepeatMenu : public QObject {
    Q_OBJECT
public:
    // Put into menu before the item before.
    RepeatMenu(AlarmCommands& commands, QMenu& menu, QAction* before);

    // The days as the user reads them: "every day", "weekdays", "weekends", or the days' short names.
    static QString describe(const RepeatDays& days);
    // A ring as the tray tip names it: the day's short name and the alarm time, "Mon 07:30:00".
    static QString ringName(const QDateTime& ring);

private:
    void update();
    void choose(const QString& words);

    AlarmCommands& m_commands;
    QMenu* m_repeat;
    QAction* m_once;
    QAction* m_daily;
    QAction* m_weekdays;
    QAction* m_weekends;
    QAction* m_days[7] = {}; // Monday first, whatever order they are shown in
    QAction* m_skip;
};
