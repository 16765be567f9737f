#pragma once

#include "platform/PlayerBackend.h"

#include <QObject>
#include <functional>
#include <memory>

// The media player control: putting a file name starts that file from its beginning at the
// current volume, the empty name stops any sound. Volume is in hundredths of a decibel, -3000 to 0.
// The sound pipeline is created only when first needed, so an idle clock stays small; every sound
// repeats from its start until stopped.
class SystemSound;

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    using BackendFactory = std::function<std::unique_ptr<PlayerBackend>()>;

    explicit MediaPlayer(QObject* parent = nullptr);
    ~MediaPlayer() override;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString& path);
    int Volume() const { return m_volume; }
    void setVolume(int hundredthsOfDb);
    // A ring raises the output's level while it plays; a sound tried out leaves it as it is.
    void setRaisesOutput(bool raises) { m_raisesOutput = raises; }
    // Get ready to start this file quickly at a later ring.
    void prepare(const QString& path);
    // The ring is expected at this moment: start the file so that it is heard from then on. The
    // file name put at the ring confirms it; an empty moment calls it off.
    void startAt(const QString& path, const QDateTime& when);
    // Nothing will ring any more: let go of the prepared file and what plays it.
    void release();
    // The ring is far off: let go of what plays the prepared file until it is prepared again.
    void rest();
    // Empty while sound can be played; otherwise why no output can be reached.
    QString outputProblem() const;

    // Our own alarm tone, unpacked from the program's resources once; it loops while it plays.
    static QString builtInTonePath();
    // One phrase of the tone as 16-bit WAV, for the desktop's sound library, which plays no MP3.
    static QString builtInTonePhrasePath();
    static double gainFor(int hundredthsOfDb);

    // Tests install a recording backend; an empty factory restores the real one.
    static void setBackendFactory(BackendFactory factory);

signals:
    // The file just put cannot be played: missing, not audio, its process failed, or no output device.
    void cannotPlay(const QString& path, const QString& reason, PlayerBackend::Fault fault);
    // The file last prepared cannot be played: found before it is wanted.
    void cannotPrepare(const QString& path, const QString& reason, PlayerBackend::Fault fault);
    // No sound output can be reached: told once when found, ringing or not.
    void outputLost();
    // The sound output was missing and can be reached again.
    void outputReturned();

private:
    PlayerBackend& backend();
    void fail(const QString& path, quint64 serial, const QString& reason, PlayerBackend::Fault fault);

    std::unique_ptr<PlayerBackend> m_backend;
    SystemSound* m_desktop = nullptr; // the backend, when it also plays the desktop's alert
    QString m_fileName;
    QString m_prepared;
    int m_volume = 0;
    bool m_raisesOutput = true;
    quint64 m_serial = 0; // counts file names put, to tell a late error from a current one
};
