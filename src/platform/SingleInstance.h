#pragma once

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <chrono>

class QLocalSocket;

// One desktop program per user. The first start holds a lock file in the runtime directory and
// answers on a local socket beside it; a later start finds the lock and asks its holder to show
// itself instead of running a second program. The lock of a killed holder is taken over at once.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        first,      // this process holds the lock; call listen() once events can be handled
        handedOver, // the running program was asked to show itself and said it did
        noAnswer,   // a running program holds the lock but did not answer in time
        unguarded,  // the lock file cannot be made: nothing keeps a second program out
    };

    // Files name.lock and name.socket in directory; an empty directory leaves the program
    // unguarded.
    SingleInstance(const QString& directory, const QString& name);
    ~SingleInstance() override;

    // Takes the lock, or asks its holder to show itself and waits up to timeout for the answer
    // (the holder may still be starting).
    Claim claim(std::chrono::milliseconds timeout);
    // Answers later starts with showRequested(); false when the socket cannot be made.
    bool listen();
    QString socketPath() const { return m_socketPath; }

    // XDG_RUNTIME_DIR, or Qt's per-user fallback under the temporary directory.
    static QString defaultDirectory();

Q_SIGNALS:
    void showRequested();

private:
    // One attempt to reach the holder; true when it answered before the deadline.
    bool askHolderToShow(const QDeadlineTimer& deadline);
    void answer(QLocalSocket* socket);

    QLockFile m_lock;
    QString m_socketPath;
    QLocalServer m_server;
};
