#pragma once

#include "sound/SoundMessage.h"

#include <QObject>
#include <memory>

class PlayerBackend;
class QSocketNotifier;
class SystemSound;

// The sound process's side: plays what the program asks for over standard input with the sound
// module's player and desktop alert, and tells over standard output what became of it. It ends when
// the program closes its end, which it also does by ending, however it ends.
class SoundHost : public QObject {
    Q_OBJECT
public:
    SoundHost();
    ~SoundHost() override;

    // The sound process's main.
    static int run(int argc, char* argv[]);

private:
    void readCommands();
    void handle(const SoundMessage& message);
    void send(SoundMessage::Kind kind, const QString& path = {}, const QString& text = {});
    void finish(int code);

    std::unique_ptr<PlayerBackend> m_player;
    SystemSound* m_alert = nullptr;
    QSocketNotifier* m_input;
    QByteArray m_buffer;
};
