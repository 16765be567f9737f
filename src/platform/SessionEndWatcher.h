#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Asked to end from outside — SIGTERM, SIGHUP or SIGINT, or the desktop session closing — the
// program runs its own shutdown, from the event loop: a signal handler may do next to nothing, and
// the settings must still be written.
class SessionEndWatcher : public QObject {
    Q_OBJECT
public:
    // Replaces any earlier watcher. onEnd may be called more than once and decides what is left to do.
    static void install(std::function<void()> onEnd);

    ~SessionEndWatcher() override;

private:
    explicit SessionEndWatcher(std::function<void()> onEnd);
    void signalled();

    std::function<void()> m_onEnd;
    QSocketNotifier* m_notifier = nullptr;
    int m_writeEnd = -1;
    int m_readEnd = -1;
};
