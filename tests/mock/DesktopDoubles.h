#pragma once

#include "alarm/SnoozeMinutes.h"
#include "app/Forms.h"
#include "controls/CommonDialog.h"
#include "controls/MediaPlayer.h"
#include "controls/MessageBox.h"
#include "core/ExecutableFolder.h"
#include "mock/FakeClock.h"
#include "mock/PowerDoubles.h"
#include "mock/RecordingLinkOpener.h"
#include "mock/RecordingNotifyIcon.h"
#include "mock/RecordingPlayer.h"
#include "platform/DesktopAlarmSound.h"
#include "platform/SystemSound.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>

// Everything the windows reach on the desktop, answered by doubles: settings in a private folder,
// a clock the test sets, and a player, system sound, links, notification area and message boxes
// that only record. Install once per test case class; reset before each case.
class DesktopDoubles : public SystemSound, public DesktopAlarmSound {
public:
    DesktopDoubles()
    {
        ExecutableFolder::setOverride(dir.path());
        Clock::setInstance(&clock);
        SystemSound::setInstance(this);
        DesktopAlarmSound::setInstance(this);
        LinkOpener::setInstance(&links);
        NotifyIconService::setInstance(&tray);
        MessageBox::interceptWith([this](const MessageBox::Shown& shown) { boxes << shown; });
        MediaPlayer::setBackendFactory([this] { return std::make_unique<RecordingPlayer>(player); });
    }

    ~DesktopDoubles() override
    {
        closeAllWindows();
        ExecutableFolder::setOverride(QString());
        Clock::setInstance(nullptr);
        SystemSound::setInstance(nullptr);
        DesktopAlarmSound::setInstance(nullptr);
        LinkOpener::setInstance(nullptr);
        NotifyIconService::setInstance(nullptr);
        MessageBox::interceptWith({});
        MediaPlayer::setBackendFactory({});
    }

    // Each case starts as a first run: no settings file (closing a window writes one), nothing
    // recorded, the snooze at its starting length.
    void reset()
    {
        closeAllWindows();
        QFile::remove(settingsPath());
        player = std::make_shared<RecordingPlayer::Log>();
        boxes.clear();
        links.opened.clear();
        tray.calls.clear();
        SnoozeMinutes = 1;
        power.reset(true);
        CommonDialog::clearAnswers();
    }

    static void closeAllWindows()
    {
        Forms::unloadForm1();
        Forms::unloadForm2();
        Forms::unloadForm3();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString settingsPath() const { return dir.filePath(QStringLiteral("settings.txt")); }

    // The desktop's sound goes into the player's log, so the order of a ring's effects shows.
    void play(const QString& path) override { player->events << QStringLiteral("system-sound ") + path; }
    // The ring's last resort too, in the same log.
    void start(const QString& fallback) override { player->events << QStringLiteral("desktop-alarm ") + fallback; }
    void stop() override { player->events << QStringLiteral("desktop-alarm stop"); }

    QTemporaryDir dir;
    FakeClock clock;
    RecordingLinkOpener links;
    RecordingNotifyIcon tray;
    PowerDoubles power;
    std::shared_ptr<RecordingPlayer::Log> player = std::make_shared<RecordingPlayer::Log>();
    QList<MessageBox::Shown> boxes;
};
