#pragma once

#include "soundclient/SoundMessage.h"

#include <QElapsedTimer>
#include <QObject>
#include <memory>

class AlarmPlayer;
class CanberraSound;
class QSocketNotifier;

// The sound process: plays what the program asks for over standard input with the sound stack,
// and tells over standard output what became of it: each start once its first sound reached the
// output (or why not), and about once a second while it plays that the sound still moves on, so the
// program can tell a stuck process from a working one. It ends when the program closes its end,
// which it also does by ending, however it ends.
class SoundHost : public QObject {
    Q_OBJECT
public:
    SoundHost();
    ~SoundHost() override;

    // The sound process's main.
    static int run(int argc, char* argv[]);

    // How often, at most, a playing sound is said to move on.
    static constexpr int FlowingMilliseconds = 900;

private:
    void readCommands();
    void handle(const SoundMessage& message);
    void send(SoundMessage::Kind kind, quint32 id, const QString& path = {}, const QString& text = {});
    void finish(int code);

    std::unique_ptr<AlarmPlayer> m_player;
    std::unique_ptr<CanberraSound> m_alert;
    QSocketNotifier* m_input;
    QByteArray m_buffer;
    quint32 m_prepareId = 0;
    quint32 m_startId = 0;  // the start playing now, until stopped
    bool m_started = false; // its first sound was told
    QElapsedTimer m_lastFlowing;
};
