#include "app/Form1.h"

#include "alarm/AlarmCommands.h"
#include "alarm/AlarmEngine.h"
#include "alarm/AlarmRepeat.h"
#include "alarm/WakePolicy.h"
#include "app/Forms.h"
#include "app/NotSetNotice.h"
#include "app/RepeatKeeper.h"
#include "app/RepeatMenu.h"
#include "app/RingMediaControls.h"
#include "app/RingNotification.h"
#include "app/SleepWarning.h"
#include "controls/MediaPlayer.h"
#include "controls/MessageBox.h"
#include "controls/Skin.h"
#include "controls/TextBox.h"
#include "core/AlarmCrossing.h"
#include "core/Clock.h"
#include "core/NotifyIconData.h"
#include "core/SettingsFile.h"
#include "dialogs/Form2.h"
#include "dialogs/Form3.h"
#include "platform/AutostartEntry.h"
#include "platform/DesktopNotifier.h"
#include "platform/MprisPlayer.h"
#include "platform/Picture.h"
#include "platform/PowerServices.h"
#include "platform/ScreenWake.h"
#include "platform/WindowForeground.h"
#include "tray/TrayIcon.h"
#include "ui/FormTables.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSystemTrayIcon>

namespace {
// A change is saved this long after it is made; a save that failed is tried again after the longer
// wait, for as long as it keeps failing.
constexpr int SaveDelayMs = 1000;
constexpr int SaveRetryMs = 3000;
} // namespace

Form1::Form1()
    : Form(FormTables::form1()), m_engine(std::make_unique<AlarmEngine>(alarmControls())),
      m_settingsFile(std::make_unique<SettingsFile>())
{
    connect(Command5(), &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6(), &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7(), &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(options(), &QAction::triggered, this, &Form1::options_Click);
    connect(about(), &QAction::triggered, this, &Form1::about_Click);
    connect(Exit(), &QAction::triggered, this, &Form1::Exit_Click);
    // The entry is the truth: looked at again each time the menu opens.
    login()->setCheckable(true);
    connect(login(), &QAction::triggered, this, &Form1::login_Click);
    connect(mnutray(), &QMenu::aboutToShow, this, [this] { login()->setChecked(AutostartEntry::exists()); });
    connect(this, &Form::closeRequested, this, &Form1::Command6_Click);
    // At the ring the focus jumps to Sleep, also while the user types in another program.
    holdKeysAtFirst({Command2(), Command3()});
    // The clock writes its own box every second: no text cursor blinks there.
    Text1()->setCaretShown(false);
    // The tray tip carries a missed alarm too, for a user who looks only at the icon.
    connect(m_engine.get(), &AlarmEngine::missedChanged, this, [this](const QString& alarmText) {
        m_missedAlarm = alarmText;
        updateTrayTip();
    });
    connect(m_engine.get(), &AlarmEngine::soundNoticeChanged, this, &Form1::updateTrayTip);
    // A line of its own below the controls, so the status box keeps its texts; a screen reader finds it by its name.
    m_noSoundLine = new QLabel(this);
    m_noSoundLine->setObjectName(QStringLiteral("noSoundLine"));
    m_noSoundLine->setWordWrap(true);
    m_noSoundLine->setContentsMargins(6, 4, 6, 4);
    m_noSoundLine->hide();
    layout()->addWidget(m_noSoundLine);
    connect(m_engine.get(), &AlarmEngine::soundNoticeChanged, this, &Form1::updateNoSoundLine);
    connect(m_engine.get(), &AlarmEngine::ringSilentChanged, this, &Form1::updateNoSoundLine);
    m_commands = new AlarmCommands(*m_engine, alarmControls(), this);
    m_screenWake = std::make_unique<ScreenWake>();
    m_ringNotification = new RingNotification(*m_commands, *this, *new DesktopNotifier(this), *m_screenWake);
    new RingMediaControls(*m_commands, *new MprisPlayer(this), this);
    m_notSetNotice = new NotSetNotice(*m_commands, this, *new DesktopNotifier(this));
    new RepeatMenu(*m_commands, *mnutray(), login());
    m_repeatKeeper = new RepeatKeeper(*m_commands, *this, *new DesktopNotifier(this));
    m_wakePolicy = new WakePolicy(*m_engine, *PowerServices::wakeAlarm(this), *PowerServices::suspendInhibitor(this),
                                  *PowerServices::sleepWatcher(this));
    connect(m_wakePolicy, &WakePolicy::changed, this, &Form1::updateTrayTip);
    connect(m_commands, &AlarmCommands::stateChanged, this, &Form1::updateTrayTip);
    new SleepWarning(*m_wakePolicy, *new DesktopNotifier(this));

    // A crash or a lost display keeps what the user set: each change is saved soon after it is made.
    m_saveSoon = new QTimer(this);
    m_saveSoon->setSingleShot(true);
    connect(m_saveSoon, &QTimer::timeout, this, &Form1::saveIfChanged);
    connect(Text2(), &QLineEdit::textChanged, this, &Form1::settingsChanged);
    // Connected after the engine's handlers, so these run once the sound dialog has closed.
    connect(Command4(), &QPushButton::clicked, this, &Form1::settingsChanged);
    connect(sound(), &QAction::triggered, this, &Form1::settingsChanged);
}

Form1::~Form1() = default;

AlarmControls Form1::alarmControls()
{
    AlarmControls c;
    c.window = this;
    c.Text1 = m_Text1;
    c.Text2 = m_Text2;
    c.Text5 = m_Text5;
    c.Command1 = m_Command1;
    c.Command2 = m_Command2;
    c.Command3 = m_Command3;
    c.Command4 = m_Command4;
    c.HScroll1 = m_HScroll1;
    c.MediaPlayer1 = m_MediaPlayer1;
    c.CommonDialog1 = m_CommonDialog1;
    c.Timer1 = m_Timer1;
    c.Timer3 = m_Timer3;
    c.Timer4 = m_Timer4;
    c.Timer5 = m_Timer5;
    c.Timer6 = m_Timer6;
    c.sound = m_sound;
    c.trySound = m_trySound;
    c.showMainWindow = [this] { showMainWindow(); };
    return c;
}

void Form1::Form_Load()
{
    if (const std::optional<SettingsRecord> record = m_settingsFile->read())
        applySettings(*record);
    m_repeatKeeper->load();
    Skin1()->ApplySkin(this);
    MediaPlayer1()->setVolume(HScroll1()->value());
    AddToTray(this, mnutray(), [commands = QPointer<AlarmCommands>(m_commands)] {
        if (commands)
            commands->showWindow();
    });
    SetTrayIcon(Picture::fromIcon(windowIcon()));
    SetTrayTip(tr("Right Click For Options"));
    login()->setChecked(AutostartEntry::exists());
    if (!Command1()->isEnabled())
        Text5()->setText(AlarmEngine::tr("Alarm Set"));
    if (!Command2()->isEnabled())
        Text5()->setText(AlarmEngine::tr("Not Set"));
    m_savedSnooze = Forms::hasForm3() ? std::optional<int>(Forms::form3().HScroll1()->value()) : std::nullopt;
    m_savedLine = settingsLine();
    if (!m_settingsFile->damage().isEmpty())
        tellDamagedSettings();
}

void Form1::tellDamagedSettings()
{
    const QString read = m_settingsFile->readFrom();
    const QString copy = m_settingsFile->keepDamagedCopy();
    QString text = tr("The settings in %1 could not be read whole: %2.").arg(read, m_settingsFile->damage()) +
                   QStringLiteral("\n\n");
    if (!copy.isEmpty())
        text += tr("The file as it was is kept as %1.").arg(copy);
    else if (m_settingsFile->path() == read)
        text += tr("No copy of it could be kept, so it will not be replaced.");
    else
        text += tr("It is left as it is; the settings are saved to %1.").arg(m_settingsFile->path());
    // Once the window is on screen, so that the box has something to stand in front of.
    QTimer::singleShot(0, this, [this, text] { MessageBox::warning(this, MessageBox::title(), text); });
}

void Form1::updateTrayTip()
{
    // While armed the tip says when, and whether the computer is woken for it or must stay awake.
    // Parts joined by " - ", each a phrase of its own in every language.
    QStringList tip{tr("Right Click For Options")};
    if (!m_missedAlarm.isEmpty() && m_engine->missedUnanswered())
        tip << tr("Alarm %1 rang unanswered").arg(m_missedAlarm);
    else if (!m_missedAlarm.isEmpty())
        tip << tr("Missed %1").arg(m_missedAlarm);
    else if (const std::optional<QTime> alarm = AlarmCrossing::parse(Text2()->text()); alarm && m_engine->armed()) {
        // A repeating alarm names the day of its next ring, and the ring it skips.
        const AlarmRepeat& repeat = m_engine->repeat();
        const QDateTime now = Clock::instance().now();
        const QDateTime next = repeat.next(*alarm, now);
        const QString when = repeat.repeating() && next.isValid() ? RepeatMenu::ringName(next) : Text2()->text();
        tip << (m_wakePolicy->wakes() ? tr("Alarm %1, wakes this computer") : tr("Alarm %1, keeps computer awake"))
                   .arg(when);
        if (const QDateTime skipped = repeat.skipped(*alarm, now); skipped.isValid())
            tip << tr("%1 skipped").arg(RepeatMenu::ringName(skipped));
    }
    // The tip is short: what keeps the sound from being heard comes first.
    if (!m_engine->soundNotice().isEmpty())
        tip.prepend(m_engine->soundNotice());
    // A repeating alarm's news is longer: the hint goes first when it would not fit whole.
    if (m_engine->repeat().repeating() && tip.join(QStringLiteral(" - ")).size() >= NotifyIconData::TipLength)
        tip.removeOne(tr("Right Click For Options"));
    SetTrayTip(tip.join(QStringLiteral(" - ")));
}

void Form1::updateNoSoundLine()
{
    const QString notice = m_engine->soundNotice();
    const QString line = m_engine->ringSilent() ? tr("%1. The desktop's alarm sound and bell ring instead.")
                                                      .arg(notice.isEmpty() ? tr("No alarm sound") : notice)
                                                : QString();
    m_noSoundLine->setText(line);
    m_noSoundLine->setAccessibleName(line);
    m_noSoundLine->setVisible(!line.isEmpty());
}

void Form1::applySettings(const SettingsRecord& record)
{
    // A field that did not convert keeps the window's starting value.
    if (record.foreColor) {
        Text1()->setForeColor(*record.foreColor);
        Text2()->setForeColor(*record.foreColor);
    }
    if (record.backColor) {
        Text1()->setBackColor(*record.backColor);
        Text2()->setBackColor(*record.backColor);
    }
    if (record.soundPath)
        engine().SoundPath = *record.soundPath;
    if (record.alarmTime)
        Text2()->setText(*record.alarmTime);
    if (record.snoozeMinutes) {
        QScrollBar* bar = Forms::form3().HScroll1();
        bar->setValue(qBound(bar->minimum(), *record.snoozeMinutes, bar->maximum()));
    }
}

SettingsRecord Form1::currentSettings() const
{
    SettingsRecord record;
    record.soundPath = m_engine->SoundPath;
    record.alarmTime = Text2()->text();
    record.snoozeMinutes = Forms::form3().HScroll1()->value();
    record.foreColor = Text1()->ForeColor();
    record.backColor = Text1()->BackColor();
    return record;
}

QByteArray Form1::settingsLine() const
{
    SettingsRecord record;
    record.soundPath = m_engine->SoundPath;
    record.alarmTime = Text2()->text();
    record.snoozeMinutes = Forms::hasForm3() ? std::optional<int>(Forms::form3().HScroll1()->value()) : m_savedSnooze;
    record.foreColor = Text1()->ForeColor();
    record.backColor = Text1()->BackColor();
    return SettingsFile::format(record);
}

void Form1::settingsChanged()
{
    if (!m_saveSoon->isActive())
        m_saveSoon->start(SaveDelayMs);
}

void Form1::saveIfChanged()
{
    if (settingsLine() == m_savedLine)
        return;
    // A failure has said why on standard error. The change stays unsaved, and so different from
    // what was saved last: it is tried again until it goes through, and the save at the end tells
    // the user if it never does.
    if (!m_settingsFile->write(currentSettings())) {
        m_saveSoon->start(SaveRetryMs);
        return;
    }
    m_savedLine = settingsLine();
    m_savedSnooze = Forms::form3().HScroll1()->value();
}

void Form1::Form_Unload()
{
    m_saveSoon->stop();
    m_repeatKeeper->saveNow();
    // A failed save has said why on standard error. Ended by the user, the program also says so in
    // a box before it goes; ended by a signal or the session, nobody is there to answer one. The
    // shutdown goes on regardless.
    if (!m_settingsFile->write(currentSettings()) && !m_endedFromOutside) {
        const QString where = m_settingsFile->failedPath();
        MessageBox::warning(this, MessageBox::title(),
                            tr("The settings could not be saved to %1: %2.").arg(where, m_settingsFile->failure()));
    }
    // A ring left on screen would offer buttons of a program that is gone.
    m_ringNotification->withdraw();
    m_wakePolicy->stop();
    RemoveFromTray();
    if (Forms::hasForm2())
        Forms::unloadForm2();
    if (Forms::hasForm3())
        Forms::unloadForm3();
}

void Form1::Command5_Click()
{
    // Without a notification area a hidden window could not be brought back: minimise instead.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        minimise();
    Forms::form2().hide();
    Forms::form3().hide();
}

void Form1::Command6_Click()
{
    Forms::unloadForm1();
}

void Form1::Exit_Click()
{
    Command6_Click();
}

void Form1::login_Click(bool checked)
{
    const QString failure =
        checked ? AutostartEntry::write(AutostartEntry::runningProgram()) : AutostartEntry::remove();
    login()->setChecked(AutostartEntry::exists());
    if (failure.isEmpty())
        return;
    MessageBox::warning(this, MessageBox::title(), tr("The start at login could not be changed: %1.").arg(failure));
}

void Form1::startedAtLogin()
{
    m_notSetNotice->show();
}

void Form1::resumeRepeatingAlarm()
{
    m_repeatKeeper->resume();
}

void Form1::Command7_Click()
{
    Form3& options = Forms::form3();
    options.show();
    options.raise();
    options.activateWindow();
}

void Form1::options_Click()
{
    Command7_Click();
}

void Form1::about_Click()
{
    Form2& about = Forms::form2();
    about.show();
    about.raise();
    about.activateWindow();
}

void Form1::showMainWindow()
{
    WindowForeground::bringForward(this, [window = QPointer<Form1>(this)] {
        if (window)
            window->showNow();
    });
}

void Form1::showNow()
{
    // A Wayland client can neither take itself out of a minimised state nor raise itself, and is not
    // even told that it is minimised (the compositor's next configure clears the state Qt keeps): a
    // window that is not the active one is mapped afresh, and comes back as a new toplevel in front.
    // Qt asks for an XDG activation token in activateWindow() where the compositor offers one.
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (wayland && (isMinimized() || !isVisible() || !isActiveWindow())) {
        hide();
        showNormal();
    } else if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}
