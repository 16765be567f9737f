#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>

namespace {
const QByteArray ShowRequest = "show\n";
}

SingleInstance::SingleInstance(const QString& folder)
    : m_lockPath(QDir(folder).filePath(QStringLiteral("kestrune.lock"))),
      m_socketPath(QDir(folder).filePath(QStringLiteral("kestrune.socket")))
{
}

SingleInstance::~SingleInstance()
{
    m_server.close();
}

bool SingleInstance::claim(std::function<void()> showWindow)
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Only a holder that is gone makes a lock stale, however long a run lasts.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        // The folder cannot hold a lock: better two programs than none.
        qWarning("kestrune: cannot lock %s; not checking for another running copy", qPrintable(m_lockPath));
        return true;
    }
    m_showWindow = std::move(showWindow);
    // A socket file left by a crashed run would make listen() fail.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketPath)) {
        qWarning("kestrune: cannot listen on %s: %s", qPrintable(m_socketPath), qPrintable(m_server.errorString()));
        return true;
    }
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // A line at most; anything else from the socket is not ours to act on.
                if (socket->canReadLine() && socket->readLine(64) == ShowRequest && m_showWindow)
                    m_showWindow();
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool SingleInstance::askRunningToShow(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(ShowRequest);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Wait for the running one to read it and hang up, so the request is not lost with this process.
    if (socket.state() == QLocalSocket::ConnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}
