#include "controls/QtPlayerBackend.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

QtPlayerBackend::QtPlayerBackend() : m_player(new QMediaPlayer(this)), m_output(new QAudioOutput(this))
{
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& text) {
        if (error != QMediaPlayer::NoError && m_playing && onError)
            onError(text.isEmpty() ? QStringLiteral("the file cannot be played") : text);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia && m_playing && onError)
            onError(QStringLiteral("the file is not a sound the player can decode"));
    });
}

QtPlayerBackend::~QtPlayerBackend()
{
    m_player->stop();
}

void QtPlayerBackend::load(const QString& path)
{
    if (path == m_loaded)
        return;
    m_loaded = path;
    m_player->setSource(QUrl::fromLocalFile(path));
}

void QtPlayerBackend::prepare(const QString& path)
{
    if (!m_playing)
        load(path);
}

void QtPlayerBackend::start(const QString& path, bool loop)
{
    m_playing = true;
    m_player->stop();
    load(path);
    m_player->setLoops(loop ? QMediaPlayer::Infinite : QMediaPlayer::Once);
    m_player->setPosition(0);
    m_player->play();
}

void QtPlayerBackend::stop()
{
    m_playing = false;
    m_player->stop();
}

void QtPlayerBackend::setGain(double linear)
{
    m_output->setVolume(float(linear));
}

QString QtPlayerBackend::outputProblem() const
{
    // GStreamer plays into nothing, without an error, when no sound server runs.
    if (QMediaDevices::defaultAudioOutput().isNull())
        return QStringLiteral("no audio output device");
    return {};
}
