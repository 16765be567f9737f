#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

// One running program per user: the first start holds a lock in the runtime folder and listens
// beside it; a later start asks that one to show its window and ends, touching nothing else. A lock
// left by a run that crashed is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder: where the lock and the socket live (the user's runtime folder).
    explicit SingleInstance(const QString& folder);
    ~SingleInstance() override;

    // True when this process is the one to run; then a later start calls showWindow.
    bool claim(std::function<void()> showWindow);
    // From a later start: asks the running one to show its window. True when it was reached.
    bool askRunningToShow(int timeoutMs = 2000);

private:
    QString m_lockPath;
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    std::function<void()> m_showWindow;
};
