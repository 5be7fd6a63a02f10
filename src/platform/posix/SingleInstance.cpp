#include "platform/SingleInstance.h"

#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr char kRequest[] = "show\n";
constexpr char kAnswer[] = "shown\n";
// A request is one short line; anything longer is not ours.
constexpr qint64 kLongestRequest = 64;
constexpr qint64 kRetryPauseMs = 100;

QString pathIn(const QString& directory, const QString& file) {
    return directory.isEmpty() ? QString() : directory + QLatin1Char('/') + file;
}

} // namespace

SingleInstance::SingleInstance(const QString& directory, const QString& name)
    : m_lock(pathIn(directory, name + QStringLiteral(".lock"))),
      m_socketPath(pathIn(directory, name + QStringLiteral(".socket"))), m_server(this) {
    // Only a dead holder makes a lock stale, never its age: the program runs for weeks.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

SingleInstance::Claim SingleInstance::claim(std::chrono::milliseconds timeout) {
    if (m_socketPath.isEmpty())
        return Claim::unguarded;
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        if (m_lock.tryLock(0))
            return Claim::first;
        if (m_lock.error() != QLockFile::LockFailedError)
            return Claim::unguarded;
        if (askHolderToShow(deadline))
            return Claim::handedOver;
        if (deadline.hasExpired())
            return Claim::noAnswer;
        QThread::msleep(std::min(kRetryPauseMs, deadline.remainingTime()));
    }
}

bool SingleInstance::askHolderToShow(const QDeadlineTimer& deadline) {
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(deadline.remainingTime()))
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(deadline.remainingTime()))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(deadline.remainingTime()))
            return false;
    }
    return socket.readLine() == kAnswer;
}

bool SingleInstance::listen() {
    // We hold the lock, so a socket file left there belongs to a holder that was killed.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_socketPath))
        return false;
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection())
            answer(socket);
    });
    return true;
}

void SingleInstance::answer(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kLongestRequest)
                socket->abort();
            return;
        }
        if (socket->readLine() == kRequest) {
            Q_EMIT showRequested();
            socket->write(kAnswer);
        }
        socket->disconnectFromServer();
    });
}
