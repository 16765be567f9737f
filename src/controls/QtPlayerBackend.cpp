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
        if (error != QMediaPlayer::NoError)
            failed(text.isEmpty() ? QStringLiteral("the file cannot be played") : text);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia)
            failed(QStringLiteral("the file is not a sound the player can decode"));
        // Looped by hand: the player's own looping was seen to stop after a few rounds.
        if (status == QMediaPlayer::EndOfMedia && m_playing && m_looping) {
            m_player->setPosition(0);
            m_player->play();
        }
    });
}

QtPlayerBackend::~QtPlayerBackend()
{
    m_player->stop();
}

void QtPlayerBackend::failed(const QString& reason)
{
    // A file loaded ahead may fail long before anyone wants to hear it: keep the reason for then.
    m_loadError = reason;
    if (m_playing && onError)
        onError(reason);
}

void QtPlayerBackend::load(const QString& path)
{
    if (path == m_loaded)
        return;
    m_loaded = path;
    m_loadError.clear();
    m_player->setSource(QUrl::fromLocalFile(path));
}

void QtPlayerBackend::prepare(const QString&)
{
    // Creating the player already loads GStreamer and its plugins, the slow part of a first start.
    // The file itself is not loaded ahead: a pipeline left waiting in the paused state counts the
    // wait as played time once started, and the sound's beginning would be lost.
}

void QtPlayerBackend::start(const QString& path, bool loop)
{
    m_playing = true;
    m_player->stop();
    if (path == m_loaded && !m_loadError.isEmpty()) {
        // The same file failed before and may have been mended since; the same source set again
        // would be ignored, so unload it first.
        m_player->setSource(QUrl());
        m_loaded.clear();
    }
    load(path);
    m_looping = loop;
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
