#include "alarm/SoundTrial.h"

#include "alarm/AlarmEngine.h"
#include "alarm/RingSound.h"
#include "controls/MediaPlayer.h"
#include "controls/MessageBox.h"
#include "controls/Timer.h"

#include <QAction>
#include <QScrollBar>

namespace {
constexpr int TrySeconds = 30;
}

SoundTrial::SoundTrial(AlarmControls controls, RingSound& sound, QObject* parent)
    : QObject(parent), m_c(std::move(controls)), m_sound(sound)
{
    m_c.trySound->setCheckable(true);
    connect(&sound, &RingSound::tryEnded, this, &SoundTrial::stop);
}

bool SoundTrial::running() const
{
    return m_sound.trying();
}

void SoundTrial::toggle(const QString& path, bool alarmBusy)
{
    if (running()) {
        stop();
        return;
    }
    if (alarmBusy) {
        m_c.trySound->setChecked(false);
        return;
    }
    if (path.isEmpty()) {
        m_c.trySound->setChecked(false);
        MessageBox::information(m_c.window, MessageBox::title(), AlarmEngine::noSoundRefusal());
        return;
    }
    // As the ring plays it, fade and all, but neither raising the output nor arming anything.
    m_ticks = 0;
    m_c.trySound->setChecked(true);
    m_c.HScroll1->setValue(-3000);
    m_c.MediaPlayer1->setVolume(-3000);
    m_c.Timer5->setEnabled(true);
    m_sound.tryOut(path);
}

void SoundTrial::tick()
{
    if (running() && ++m_ticks >= TrySeconds)
        stop();
}

void SoundTrial::stop()
{
    // Also when the sound ended the try by itself: the menu and the fade follow.
    if (!running() && !m_c.trySound->isChecked())
        return;
    if (running())
        m_sound.silence();
    m_c.trySound->setChecked(false);
    m_c.Timer5->setEnabled(false);
    m_c.HScroll1->setValue(-3000);
}
