#pragma once

#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

// One running program per user: the first start holds a lock in the runtime folder and listens on a
// socket beside it; a later start connects there, which asks the running one to show its window,
// and ends, touching nothing else. A lock left by a run that crashed is taken over. Plain Unix
// sockets, so that a clock does not carry a network library for this.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // folder: where the lock and the socket live (privateFolder()). Empty: no check at all.
    explicit SingleInstance(const QString& folder);

    // A folder that only this user can write: the runtime folder when it is the user's own with no
    // access for others (as Qt checks it), else one made for this under the user's cache folder, or
    // when that name is taken by something else, in the home folder. A folder of the user's own
    // that others could reach is made private again. Never the working folder, never one of another
    // user; empty when there is none.
    static QString privateFolder();
    ~SingleInstance() override;

    // True when this process is the one to run; then a later start calls showWindow.
    bool claim(std::function<void()> showWindow);
    // From a later start: asks the running one to show its window. True when it was reached.
    bool askRunningToShow(int timeoutMs = 2000);
    // Set when claim() let this start run without being able to keep a second one out: why, for the
    // user to read. Empty otherwise.
    QString notice() const { return m_notice; }

private:
    void accept();

    QString m_lockPath;
    QByteArray m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_listening = -1;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void()> m_showWindow;
    QString m_notice;
};
